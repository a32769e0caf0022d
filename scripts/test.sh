#!/usr/bin/env bash
# Builds everything and runs the whole test suite: natively, again under ASan+UBSan and under
# TSan, and (when scripts/windows-leg.sh is present) the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
run_leg() {
    local dir=$1
    shift
    echo "== building $dir"
    cmake -S . -B "$dir" -G Ninja -DTARNWICK_BUILD_TESTS=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "== testing $dir"
    ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300
}

run_leg build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_leg build-asan -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=address,undefined
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    run_leg build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_SANITIZE=thread

if [[ -f scripts/windows-leg.sh ]]; then
    bash scripts/windows-leg.sh build
fi
