#!/usr/bin/env bash
# Every transfer over real MIDI ports ends, with a defined result, whatever the data and the port
# do: a test string left inside system exclusive, an image that does not end on 0xF7, a clock
# merged into a download, Ctrl+C in the middle of an upload, and a JACK server that goes away.
# A server that pauses for 3 s (SIGSTOP, then SIGCONT) ends nothing: the download and the upload
# it meets arrive whole. The test sender reports the first fault its loop meets, and finds its
# port by name with or without the service prefix.
# Runs a private JACK server (dummy driver) of its own, so it can stop it mid-transfer without
# disturbing anyone else's. Prints the time each transfer took to end.
#   JackTransfersEnd.sh TOLVANE_CLI MAKE_DEMO_DUMP
set -euo pipefail
cli=$1
maker=$2

if ! command -v jackd >/dev/null 2>&1; then
    echo "jackd is not installed: skipped."
    exit 77
fi

dir=$(mktemp -d)
# One fixed name: JACK keeps a table of at most eight servers, and the entry of a server that was
# killed is only taken back by a server of the same name. TOLVANE_JACK_SERVER names another, for
# a second copy of the tests running beside this one.
export JACK_DEFAULT_SERVER="${TOLVANE_JACK_SERVER:-tolvane-transfers-end}"
server=""
sim=""
killed=""
cleanup() {
    exec 3>&- 2>/dev/null || true
    if [ -n "$sim" ]; then
        kill -9 "$sim" 2>/dev/null || true
        wait "$sim" 2>/dev/null || true
    fi
    if [ -z "$server" ] && [ -n "$killed" ]; then
        # Start it once more and stop it in order, so its entry and memory are given back.
        jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -S -d dummy -r 48000 >/dev/null 2>&1 &
        server=$!
        jack_wait -w -t 10 >/dev/null 2>&1 || true
    fi
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap cleanup EXIT
# shellcheck source=JackKit.sh
source "$(dirname "$0")/JackKit.sh"

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }

# Waits up to $2 seconds for process $1 to end; its status is left in $status.
wait_for_end() {
    local pid=$1 seconds=$2
    for _ in $(seq $((seconds * 20))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            status=0
            wait "$pid" || status=$?
            return 0
        fi
        sleep 0.05
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    return 1
}

# In sync mode (-S) the server waits for every client before its next cycle. Without it a client
# that a loaded machine wakes late misses its cycle and loses that cycle's MIDI events, which
# tears a transfer that Tolvane sent or read whole.
start_server() {
    jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -S -d dummy -r 48000 >"$dir/jackd.log" 2>&1 &
    server=$!
    jack_wait -w -t 10 >/dev/null 2>&1 || fail "the private JACK server did not start"
}

"$maker" --largest "$dir/largest.syx"
"$maker" --same-bank-number "$dir/short.syx"
start_server
start_simulator --dump "$dir/largest.syx" --baud 312500 --realtime-every 256

# 1. A download with a clock and active sensing merged after every 256 bytes arrives whole.
"$cli" receive --in "$from_device" "$dir/back.syx" >"$dir/receive.log" 2>&1 &
receiver=$!
wait_for_line "$dir/receive.log" 15 "Waiting for sysex data" || fail "the download did not start"
t=$(now)
echo >&3
wait_for_end "$receiver" 60 || fail "the download with a merged clock hangs"
echo "download with merged clock and active sensing: ended in $(since "$t") s, status $status"
[ "$status" -eq 0 ] || fail "the download with a merged clock failed"
cmp "$dir/largest.syx" "$dir/back.syx" || fail "the download with a merged clock came back changed"

# Suspends the server for 3 s, then lets it go on.
pause_server() {
    kill -STOP "$server"
    sleep 3
    kill -CONT "$server"
}

# 1a. The server pauses for 3 s in the middle of a download, then goes on: a pause is no loss,
# and the download arrives whole. Returns 1 when the download ended but came back short or
# changed; a device error (status 2, the lost-device report among them) fails at once.
paused_download() {
    "$cli" receive --in "$from_device" "$dir/paused.syx" >"$dir/receive-paused.log" 2>&1 &
    receiver=$!
    wait_for_line "$dir/receive-paused.log" 15 "Waiting for sysex data" || fail "the download did not start"
    t=$(now)
    echo >&3
    sleep 0.3
    pause_server
    wait_for_end "$receiver" 30 || fail "the download hangs after the server paused"
    echo "download with the server paused for 3 s: ended in $(since "$t") s, status $status"
    grep -h "^Error" "$dir/receive-paused.log" || true
    [ "$status" -ne 2 ] || fail "the download ended on a device error after the server paused"
    [ "$status" -eq 0 ] && cmp "$dir/largest.syx" "$dir/paused.syx"
}

# Runs a transfer (`step`) whose bytes must all reach the other side; should some go missing
# while the server missed cycles (it reports them as XRuns), the events of those cycles are
# JACK's own loss, and only then is the step tried once more. Otherwise fails with `failure`.
once_more_after_xrun() {
    local step=$1 what=$2 failure=$3 xruns
    xruns=$(grep -c "XRun" "$dir/jackd.log" || true)
    "$step" && return 0
    [ "$(grep -c "XRun" "$dir/jackd.log" || true)" -gt "$xruns" ] || fail "$failure"
    echo "the server missed cycles during the $what (an XRun in its log): once more"
    "$step" || fail "$failure"
}
whole_after_pause() {
    once_more_after_xrun "$1" "$2" "the $2 did not arrive whole after the server paused"
}
whole_after_pause paused_download download

# 1b. The same in the middle of an upload whose first buffer is larger than JACK's ring.
# Returns 1 when the upload ended well but the device did not get it whole.
paused_upload() {
    before=$(grep -c "^Received 65520 bytes: 0" "$dir/simulator.log" || true)
    "$cli" send "$dir/largest.syx" --out "$to_device" --delay 0 --buffer-size 32768 >"$dir/send-paused.log" 2>&1 &
    sender=$!
    t=$(now)
    # As soon as the port is open: the first buffer then meets a server that runs no cycles.
    for _ in $(seq 1000); do
        grep -qF "Sending MIDI sysex upload" "$dir/send-paused.log" 2>/dev/null && break
        sleep 0.01
    done
    pause_server
    wait_for_end "$sender" 60 || fail "the upload hangs after the server paused"
    echo "upload with the server paused for 3 s: ended in $(since "$t") s, status $status"
    grep -h "^Error" "$dir/send-paused.log" || true
    [ "$status" -eq 0 ] || fail "the upload ended with status $status after the server paused"
    wait_for_line "$dir/simulator.log" 30 "^Received 65520 bytes: 0" &&
        [ "$(grep -c "^Received 65520 bytes: 0" "$dir/simulator.log")" -gt "$before" ]
}
whole_after_pause paused_upload upload

# 1c. The test sender over real ports: the first fault its loop meets is the one reported, and
# the port is found by its name with or without the service prefix.
listed=$("$cli" ports | sed -n "/^Outputs:/,/^[A-Z]/p" | grep -F -- "RIV 10 Simulator In:" | head -n 1 |
    sed -E 's/^ *[0-9]+: //')
case "$listed" in
"JACK: "*) other_name=${listed#JACK: } ;;
*) other_name="JACK: $listed" ;;
esac
test_send() { # expected status, the text to send, the port, the line the output must hold
    local expected=$1 text=$2 port=$3 line=$4
    status=0
    "$cli" test-send --out "$port" "$text" >"$dir/test-send-order.log" 2>&1 || status=$?
    echo "test-send '$text' to '$port': status $status"
    [ "$status" -eq "$expected" ] || fail "test-send '$text' ended with status $status"
    grep -qF -- "$line" "$dir/test-send-order.log" || fail "test-send '$text' did not say: $line"
}
test_send 1 "3C 40 F0 01" "$listed" "Error handling data string at byte 1."
test_send 1 "F7 F0 01" "$other_name" "Error location: DSimpleMidiSend (254)"
test_send 0 "F0 F0 01 F7" "$other_name" "Transmission complete."

# 2. A test string that ends inside system exclusive is refused before anything is sent.
t=$(now)
status=0
"$cli" test-send --out "$to_device" "F0 7E 7F 09 01" >"$dir/test-send.log" 2>&1 || status=$?
echo "unclosed test string: ended in $(since "$t") s, status $status"
[ "$status" -eq 1 ] || fail "the unclosed test string ended with status $status"
grep -q "consistency error at byte 1" "$dir/test-send.log" || fail "no consistency error naming byte 1"
# A closed one goes out (the device keeps it as its dump, so this comes after the download).
"$cli" test-send --out "$to_device" "F0 7E 7F 09 01 F7" >"$dir/test-send-closed.log" 2>&1 ||
    fail "the closed test string failed"

# 3. An image that does not end on 0xF7 goes out whole, and the upload completes.
t=$(now)
status=0
timeout 60 "$cli" send "$dir/short.syx" --out "$to_device" --force --delay 0 --buffer-size 1024 \
    >"$dir/send-short.log" 2>&1 || status=$?
echo "upload of an image not ending on F7: ended in $(since "$t") s, status $status"
[ "$status" -eq 0 ] || fail "the upload of an image not ending on F7 ended with status $status"
grep -qE "^Sent ([0-9]+) of \1 bytes" "$dir/send-short.log" || fail "not every byte of the image went out"

# 4. Ctrl+C in the middle of an upload ends it with status 1 and closes the device's message.
# Returns 1 when the upload ended so but the device did not hear the message close.
interrupted_upload() {
    before=$(grep -c "^Received" "$dir/simulator.log" || true)
    "$cli" send "$dir/largest.syx" --out "$to_device" --delay 0 >"$dir/send-interrupted.log" 2>&1 &
    sender=$!
    sleep 2
    t=$(now)
    kill -INT "$sender"
    wait_for_end "$sender" 5 || fail "Ctrl+C did not end the upload within 5 s"
    echo "upload interrupted by Ctrl+C: ended in $(since "$t") s, status $status"
    [ "$status" -eq 1 ] || fail "the interrupted upload ended with status $status"
    wait_for_line "$dir/simulator.log" 5 "^Received [0-9]+ bytes" &&
        [ "$(grep -c "^Received" "$dir/simulator.log")" -gt "$before" ]
}
once_more_after_xrun interrupted_upload "interrupted upload" "the device was left inside the interrupted message"

# 5. The server stops in the middle of an upload and of a download: both end with an error.
"$cli" send "$dir/largest.syx" --out "$to_device" --delay 0 >"$dir/send-lost.log" 2>&1 &
sender=$!
"$cli" receive --in "$from_device" "$dir/lost.syx" >"$dir/receive-lost.log" 2>&1 &
receiver=$!
wait_for_line "$dir/receive-lost.log" 15 "Waiting for sysex data" || fail "the download did not start"
sleep 2
t=$(now)
kill -9 "$server"
wait "$server" 2>/dev/null || true
server=""
killed=1
wait_for_end "$sender" 20 || fail "the upload hangs once the server has gone"
send_status=$status
echo "upload when the server stops: ended in $(since "$t") s, status $send_status"
wait_for_end "$receiver" 20 || fail "the download hangs once the server has gone"
echo "download when the server stops: ended in $(since "$t") s, status $status"
grep -h "^Error:" "$dir/send-lost.log" "$dir/receive-lost.log" || true
[ "$send_status" -ne 0 ] || fail "the upload ended well though the server had gone"
[ "$status" -ne 0 ] || fail "the download ended well though the server had gone"

echo "Every transfer ended."
