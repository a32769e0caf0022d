#!/usr/bin/env bash
# check-evaluate-events.sh TOOL DEVSERVER EXPECTED ARGS...
# Runs `TOOL evaluate ARGS... --api URL --ca CA` against a reference API service on loopback
# and checks that, by the time the tool has exited, the service has logged one event per
# rejected offer: code 2 with the offer's reason, in any order, and nothing else.
set -euo pipefail
tool=$1 devserver=$2 expected=$3
shift 3

work=$(mktemp -d)
cleanup() {
    [[ -n ${server_pid:-} ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/root"
coproc SERVER { exec "$devserver" --root "$work/root" --port 0 --tls-dir "$work/tls" \
    --log "$work/requests.log"; }
server_pid=$SERVER_PID
read -r _ port <&"${SERVER[0]}"

"$tool" evaluate "$@" --api "https://localhost:$port" --ca "$work/tls/ca.pem" >"$work/printed"

# The reasons of the rejected offers, as printed, against the events logged.
want=$(sed -n 's/.*"verdict":"rejected","reason":"\([^"]*\)".*/2 \1/p' "$expected" | sort)
got=$(python3 - "$work/requests.log" <<'PY' | sort
import json, sys
for line in open(sys.argv[1]):
    request = json.loads(line)
    data = request.get("data") or {}
    print(request["path"] if request["path"] != "/zbd" else f'{data.get("10")} {data.get("13")}')
PY
)
if [[ $want != "$got" ]]; then
    printf 'events expected:\n%s\nevents logged:\n%s\n' "$want" "$got"
    exit 1
fi
[[ -n $want ]] || { echo "the sample rejects nothing"; exit 1; }
