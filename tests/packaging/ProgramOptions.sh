#!/usr/bin/env bash
# --version prints exactly "NAME VERSION" and --help a usage text, both with status 0 and
# without a display. Usage: ProgramOptions.sh VERSION TOLVANE QUILLON TOLVANE_CLI
set -uo pipefail
version=$1
shift
status=0
headless() { env DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM= "$@" 2>&1; }
for program in "$@"; do
    name=$(basename "$program")
    out=$(headless "$program" --version)
    code=$?
    if [ "$code" -ne 0 ] || [ "$out" != "$name $version" ]; then
        echo "FAIL: $name --version (status $code): $out" >&2
        status=1
    fi
    out=$(headless "$program" --help)
    code=$?
    if [ "$code" -ne 0 ] || ! grep -qi '^usage: ' <<<"$out"; then
        echo "FAIL: $name --help (status $code): $(head -n 3 <<<"$out")" >&2
        status=1
    fi
done
exit "$status"
