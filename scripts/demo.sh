#!/usr/bin/env bash
# The main job on the embedded defaults: the reference API service on loopback with the
# sample campaign, and the configuration request the wizard sends it, with the answer; then the
# eligibility pass over the sample offer list on the sample machine, its rejections reported to
# the same service.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tarnwick-devserver tarnwick-inspect

work=$(mktemp -d)
cleanup() {
    [[ -n ${server_pid:-} ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

coproc SERVER { exec build/tools/devserver/tarnwick-devserver --root tests/fixtures/devserver-root \
    --port 0 --tls-dir "$work/tls" --log "$work/requests.log"; }
server_pid=$SERVER_PID
read -r _ port <&"${SERVER[0]}"
echo "reference API on https://localhost:$port (requests logged to $work/requests.log)"

# The campaign tag travels in the executable's name.
build/tools/inspect/tarnwick-inspect request --api "https://localhost:$port" \
    --ca "$work/tls/ca.pem" --exe-path "$work/Downloads/QuorvaneSetup_ab1-x9z.exe" --locale en_US

echo
echo "offers of tests/fixtures/evaluate/response.json on the machine of machine.reg:"
build/tools/inspect/tarnwick-inspect evaluate --response tests/fixtures/evaluate/response.json \
    --machine tests/fixtures/evaluate/machine.reg --ram-mb 8192 --disk-mb 20000 \
    --process System --process BrowserHelper.exe --api "https://localhost:$port" \
    --ca "$work/tls/ca.pem"
echo "events the API received: $(grep -c '"path":"/zbd"' "$work/requests.log")"
