# What the scripts that move dumps over real JACK ports share. Sourced; expects $dir (the scratch
# folder whose *.log files a failure shows) and $cli (tolvane-cli). start_simulator sets $sim,
# $to_device and $from_device, and holds the simulator's "Enter" pipe open on descriptor 3.

# Prints the reason and the end of every log, then fails the test.
fail() {
    echo "FAIL: $*"
    for log in "$dir"/*.log; do
        [ -f "$log" ] && { echo "--- $log"; tail -n 20 "$log"; }
    done
    exit 1
}

# Waits up to $2 seconds for a line matching $3 in file $1.
wait_for_line() {
    local file=$1 seconds=$2 pattern=$3
    for _ in $(seq $((seconds * 10))); do
        grep -qE "$pattern" "$file" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# The index of the port named $2 in the "Inputs:" or "Outputs:" list ($1).
port_index() {
    "$cli" ports | sed -n "/^$1:/,/^[A-Z]/p" | grep -F -- "$2" | head -n 1 | sed -E 's/^ *([0-9]+):.*/\1/'
}

# The simulated device, reading its "Enter" key from a pipe; further arguments go to simulate.
start_simulator() {
    rm -f "$dir/keys"
    mkfifo "$dir/keys"
    "$cli" simulate --api jack "$@" <"$dir/keys" >"$dir/simulator.log" 2>&1 &
    sim=$!
    exec 3>"$dir/keys"
    wait_for_line "$dir/simulator.log" 15 "running" || fail "the simulator did not start"
    to_device=$(port_index Outputs "RIV 10 Simulator In:")
    from_device=$(port_index Inputs "RIV 10 Simulator Out:")
    [ -n "$to_device" ] && [ -n "$from_device" ] || fail "the simulator's ports are not listed"
}
