#!/usr/bin/env bash
# check-evaluate.sh TOOL EXPECTED EXIT_CODE ARGS...
# Runs `TOOL evaluate ARGS...` and compares what it prints with the file EXPECTED, line by line,
# and its exit status with EXIT_CODE. The session id is the local time of the run, so its
# digits are compared as "<local time>". An expected line starting with "~" is an extended
# regular expression the printed line must match as a whole (for texts the JSON library words).
set -uo pipefail
tool=$1 expected=$2 exit_code=$3
shift 3

printed=$("$tool" evaluate "$@")
status=$?
if [[ $status != "$exit_code" ]]; then
    echo "exit status $status, expected $exit_code"
    printf '%s\n' "$printed"
    exit 1
fi
printed=$(printf '%s\n' "$printed" |
    sed -E 's/"sessionid":"[0-9]+"/"sessionid":"<local time>"/')

mapfile -t got <<<"$printed"
mapfile -t want <"$expected"
if [[ ${#got[@]} != "${#want[@]}" ]]; then
    echo "${#got[@]} lines printed, ${#want[@]} expected:"
    printf '%s\n' "$printed"
    exit 1
fi
failed=0
for i in "${!want[@]}"; do
    if [[ ${want[i]} == "~"* ]]; then
        if ! grep -Eqx -- "${want[i]:1}" <<<"${got[i]}"; then
            printf 'line %d does not match\n  %s\n  %s\n' "$i" "${want[i]:1}" "${got[i]}"
            failed=1
        fi
    elif [[ ${want[i]} != "${got[i]}" ]]; then
        printf 'line %d differs\n  expected %s\n  printed  %s\n' "$i" "${want[i]}" "${got[i]}"
        failed=1
    fi
done
exit $failed
