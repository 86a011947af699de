#!/usr/bin/env bash
# A largest-size dump makes a round trip over real MIDI ports: tolvane-cli uploads it through
# RtMidi's JACK ports to the simulated RIV 10 running in another process, downloads it back, and
# sends it once more to jack_midi_dump, a MIDI monitor we did not write, which must see exactly
# the same bytes. Needs a running JACK server (test.sh starts one with the dummy driver);
# without one the test is skipped.
#   JackRoundTrip.sh TOLVANE_CLI MAKE_DEMO_DUMP
set -euo pipefail
cli=$1
maker=$2

if ! jack_lsp >/dev/null 2>&1; then
    echo "No JACK server is running: skipped."
    exit 77
fi

dir=$(mktemp -d)
sim=""
monitor=""
cleanup() {
    exec 3>&- 2>/dev/null || true
    # The simulator ends by itself once its input closes; a TERM that meets it on the way out
    # gives status 143, which must not become the test's status.
    [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null || true
    [ -n "$monitor" ] && kill "$monitor" 2>/dev/null && wait "$monitor" 2>/dev/null || true
    rm -rf "$dir"
}
trap cleanup EXIT
# shellcheck source=JackKit.sh
source "$(dirname "$0")/JackKit.sh"

"$maker" --largest "$dir/largest.syx"
[ "$(stat -c %s "$dir/largest.syx")" -eq 65520 ] || fail "the largest dump is not 65,520 bytes"

# The simulated device, in a process of its own.
start_simulator --baud 0

# 1. Upload: the device reports the dump complete and clean.
"$cli" send "$dir/largest.syx" --out "$to_device" --buffer-size 1024 --delay 0 >"$dir/send.log" 2>&1 ||
    fail "send failed"
wait_for_line "$dir/simulator.log" 30 "^Received 65520 bytes: 0 No error" || fail "the device did not get the dump"

# 2. Download: the device sends back what it received.
"$cli" receive --in "$from_device" "$dir/back.syx" >"$dir/receive.log" 2>&1 &
receiver=$!
wait_for_line "$dir/receive.log" 15 "Waiting for sysex data" || fail "the download did not start"
echo >&3
wait "$receiver" || fail "receive failed"
cmp "$dir/largest.syx" "$dir/back.syx" || fail "the dump came back changed"

# 3. A monitor we did not write sees exactly the uploaded bytes.
jack_midi_dump >"$dir/monitor.log" 2>"$dir/monitor-errors.log" &
monitor=$!
for _ in $(seq 50); do
    jack_lsp 2>/dev/null | grep -q "midi-monitor:input" && break
    sleep 0.1
done
to_monitor=$(port_index Outputs "midi-monitor:input")
[ -n "$to_monitor" ] || fail "jack_midi_dump's port is not listed"
"$cli" send "$dir/largest.syx" --out "$to_monitor" --buffer-size 1024 --delay 0 >"$dir/send2.log" 2>&1 ||
    fail "send to the monitor failed"
sleep 1
kill "$monitor" && wait "$monitor" 2>/dev/null || true
monitor=""
# Each line is "time: hex bytes"; the bytes of all lines together are the message.
seen=$(sed -E 's/^ *[0-9]+: //' "$dir/monitor.log" | awk '{ for (i = 1; i <= NF && $i ~ /^[0-9a-f][0-9a-f]$/; ++i) printf "%s", $i }')
sent=$(od -An -v -tx1 "$dir/largest.syx" | tr -d ' \n')
[ "$seen" = "$sent" ] || fail "jack_midi_dump saw ${#seen} hex digits, expected ${#sent}"

echo "Round trip of 65,520 bytes over JACK: intact; jack_midi_dump saw the same bytes."
