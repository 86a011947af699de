#!/usr/bin/env bash
# Sets up and runs every test: the unit and command-line tests, the installation and desktop-file
# checks, the same non-GUI tests under AddressSanitizer and UndefinedBehaviorSanitizer, and a
# bounded run of each fuzzer. In CI (CI=true) or with TOLVANE_PACKAGE_TEST=1 the Debian package is
# also built, installed, run and removed again.
#   FUZZ_SECONDS=N   seconds per fuzzer (default: 120 s shared among the fuzzers; 0 skips fuzzing)
#   TOLVANE_QUICK=1  only the main build's tests
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${FUZZ_SECONDS:-}
log=$(mktemp)

passed=0
failed=0
# The names of the tests that failed, repeated at the end so that the tail of a long log shows them.
failed_names=""
# Runs ctest in a build directory (further arguments go to ctest) and adds its counts to the totals.
run_ctest() {
    local dir=$1
    shift
    local status=0
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" "$@" 2>&1 | tee "$log" || status=$?
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
    if [ "$bad" -gt 0 ]; then
        failed_names+=$(sed -n '/The following tests FAILED/,$p' "$log" | grep -E '^[[:space:]]+[0-9]+ - ' |
            sed -E "s|^[[:space:]]+[0-9]+ - |  $dir: |" || true)$'\n'
    fi
    if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
        failed=$((failed + 1))
    fi
}

# Real MIDI ports for the transfer tests: a JACK server with the dummy driver, which needs no
# sound hardware. One that already runs is used as it is.
jack_pid=""
stop_jack() {
    if [ -n "$jack_pid" ]; then
        kill "$jack_pid" 2>/dev/null || true
        wait "$jack_pid" 2>/dev/null || true
    fi
}
trap 'stop_jack; rm -f "$log"' EXIT
if ! jack_lsp >/dev/null 2>&1; then
    # Sync mode: a client woken late on a loaded machine delays the cycle rather than losing
    # that cycle's MIDI events.
    jackd --no-realtime -S -d dummy -r 48000 >/tmp/tolvane-jackd.log 2>&1 &
    jack_pid=$!
    if ! jack_wait -w -t 10 >/dev/null 2>&1; then
        echo "The JACK server did not start:" >&2
        tail -n 5 /tmp/tolvane-jackd.log >&2 || true
        # Locally the transfer test over real ports is then skipped; CI must run it.
        if [ "${CI:-}" = "true" ]; then
            exit 1
        fi
    fi
fi

echo "== Build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
run_ctest build

if [ "${TOLVANE_QUICK:-0}" != "1" ]; then
    echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON -DTOLVANE_BENCH=OFF >/dev/null
    cmake --build build-asan -j"$jobs"
    # The JACK tests ran above; the sanitizers look at our code, not at the JACK client's.
    # The packaging checks (installation, validators, the package) ran above as well.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_ctest build-asan -E '^jack_' -LE 'gui|packaging'

    # Every target in fuzz/; the time is shared so that more readers do not make CI longer.
    targets=$(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
    if [ -z "$fuzz_seconds" ]; then
        fuzz_seconds=$((120 / $(echo "$targets" | wc -w)))
        [ "$fuzz_seconds" -ge 10 ] || fuzz_seconds=10
    fi
    if [ "$fuzz_seconds" -gt 0 ]; then
        echo "== Fuzzing, ${fuzz_seconds}s per target"
        CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DTOLVANE_FUZZ=ON -DTOLVANE_WITH_QT=OFF -DTOLVANE_WITH_MIDI=OFF -DTOLVANE_TESTS=OFF -DTOLVANE_BENCH=OFF \
            -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
            >/dev/null
        cmake --build build-fuzz -j"$jobs"
        for target in $targets; do
            if [ ! -x "build-fuzz/fuzz/$target" ]; then
                echo "$target: not built (it needs Qt)"
                failed=$((failed + 1))
                continue
            fi
            corpus=build-fuzz/corpus-$target
            mkdir -p "$corpus"
            cp fuzz/corpus/$target/* "$corpus/" 2>/dev/null || true
            # A dump is up to 65,520 bytes; the other readers' inputs are short.
            max_len=8192
            [ "$target" = fuzz_dump ] && max_len=65536
            if build-fuzz/fuzz/$target -max_total_time="$fuzz_seconds" -max_len=$max_len -print_final_stats=1 \
                "$corpus" >build-fuzz/$target.log 2>&1; then
                echo "$target: $(grep -E 'stat::number_of_executed_units' build-fuzz/$target.log | awk '{print $2}') runs, nothing found"
                passed=$((passed + 1))
            else
                tail -n 40 build-fuzz/$target.log
                echo "$target: FAILED"
                failed_names+="  fuzz: $target"$'\n'
                failed=$((failed + 1))
            fi
        done
    fi
fi

if [ -n "$failed_names" ]; then
    echo "Failed:"
    printf '%s' "$failed_names"
fi
echo "tolvane: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
