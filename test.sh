#!/usr/bin/env bash
# Sets up and runs every test: the unit and command-line tests, the same non-GUI tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded run of each fuzzer.
#   FUZZ_SECONDS=N   seconds per fuzzer (default 60; 0 skips fuzzing)
#   TOLVANE_QUICK=1  only the main build's tests
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${FUZZ_SECONDS:-60}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

passed=0
failed=0
# Runs ctest in a build directory and adds its counts to the totals.
run_ctest() {
    local dir=$1
    local status=0
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" 2>&1 | tee "$log" || status=$?
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
    if [ -z "$line" ]; then
        echo "ctest in $dir reported no results" >&2
        failed=$((failed + 1))
        return
    fi
    local total bad
    total=$(echo "$line" | sed -E 's/.*out of ([0-9]+).*/\1/')
    bad=$(echo "$line" | sed -E 's/.*tests passed, ([0-9]+) tests? failed.*/\1/')
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
        failed=$((failed + 1))
    fi
}

echo "== Build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
run_ctest build

if [ "${TOLVANE_QUICK:-0}" != "1" ]; then
    echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON -DTOLVANE_BENCH=OFF >/dev/null
    cmake --build build-asan -j"$jobs"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_ctest build-asan

    if [ "$fuzz_seconds" -gt 0 ]; then
        echo "== Fuzzing, ${fuzz_seconds}s per target"
        CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DTOLVANE_FUZZ=ON -DTOLVANE_WITH_QT=OFF -DTOLVANE_TESTS=OFF -DTOLVANE_BENCH=OFF \
            -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
            >/dev/null
        cmake --build build-fuzz -j"$jobs"
        for target in fuzz_dump fuzz_miditext; do
            corpus=build-fuzz/corpus-$target
            mkdir -p "$corpus"
            if [ "$target" = fuzz_dump ]; then
                cp resources/demo.syx "$corpus/" 2>/dev/null || true
            fi
            if build-fuzz/fuzz/$target -max_total_time="$fuzz_seconds" -max_len=8192 -print_final_stats=1 \
                "$corpus" >build-fuzz/$target.log 2>&1; then
                echo "$target: $(grep -E 'stat::number_of_executed_units' build-fuzz/$target.log | awk '{print $2}') runs, nothing found"
                passed=$((passed + 1))
            else
                tail -n 40 build-fuzz/$target.log
                echo "$target: FAILED"
                failed=$((failed + 1))
            fi
        done
    fi
fi

echo "tolvane: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
