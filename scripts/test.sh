#!/usr/bin/env bash
# Builds everything and runs the whole test suite: natively, again under ASan+UBSan and under
# TSan, and (when scripts/windows-leg.sh is present) the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/compiler-cache.sh

jobs=$(nproc)
run_leg() {
    local dir=$1
    shift
    echo "== building $dir"
    cmake -S . -B "$dir" -G Ninja -DTARNWICK_BUILD_TESTS=ON "${compiler_cache[@]}" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "== testing $dir"
    ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300
}

run_leg build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_leg build-asan -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=address,undefined
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    run_leg build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_SANITIZE=thread

# Each parser of outside input gets a short, bounded fuzzing run from its seed corpus.
echo "== fuzzing"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNWICK_BUILD_TESTS=OFF -DTARNWICK_BUILD_FUZZERS=ON "${compiler_cache[@]}" >/dev/null
cmake --build build-fuzz -j "$jobs" --target RegFileFuzz ExpandTemplateFuzz IsUrlFuzz \
    ConfigurationResponseFuzz
for target in RegFile ExpandTemplate IsUrl ConfigurationResponse; do
    corpus=build-fuzz/corpus/$target
    mkdir -p "$corpus"
    cp -n fuzz/corpus/$target/* "$corpus"/ 2>/dev/null || true
    dict=()
    [[ -f fuzz/$target.dict ]] && dict=(-dict=fuzz/$target.dict)
    build-fuzz/fuzz/${target}Fuzz -max_total_time=20 -print_final_stats=0 "${dict[@]}" "$corpus" \
        2>build-fuzz/$target.log || { tail -40 build-fuzz/$target.log; exit 1; }
    echo "fuzzed $target: $(grep -c . build-fuzz/$target.log) log lines, no crash"
done

if [[ -f scripts/windows-leg.sh ]]; then
    bash scripts/windows-leg.sh build
fi
ccache --show-stats 2>/dev/null | grep -iE '^ *(hits|misses|cache size)|^(cacheable|hits|misses)' || true
