#!/usr/bin/env bash
# Sets up, builds and starts Tolvane on FILE, or on the bundled demo dump.
set -euo pipefail
file=""
if [ $# -ge 1 ]; then
    file=$(realpath -m -- "$1")
fi
cd "$(dirname "$0")"
file=${file:-$PWD/resources/demo.syx}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Tolvane needs a display: DISPLAY and WAYLAND_DISPLAY are not set." >&2
    exit 1
fi

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target Tolvane Quillon >/dev/null

exec build/src/app/Tolvane "$file"
