#!/usr/bin/env bash
# Sets up and runs Tolvane on FILE, or on the bundled demo dump.
# Until the editor's window lands, this shows the dump through the command-line tool.
set -euo pipefail
file=""
if [ $# -ge 1 ]; then
    file=$(realpath -m -- "$1")
fi
cd "$(dirname "$0")"
file=${file:-resources/demo.syx}

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target tolvane-cli >/dev/null

exec build/src/cli/tolvane-cli info "$file"
