#!/usr/bin/env bash
# The folders under src/ include each other without a circle, and tools/layers notices one.
set -euo pipefail
tools=$1
src=$2
"$tools/layers" "$src" >/dev/null

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/low" "$tree/high"
printf '#include "high/B.h"\n' >"$tree/low/A.h"
printf '#include "low/A.h"\n' >"$tree/high/B.h"
if "$tools/layers" "$tree" >/dev/null 2>&1; then
    echo "a circle between low and high went unnoticed" >&2
    exit 1
fi
