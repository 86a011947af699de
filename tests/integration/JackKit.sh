# What the scripts that move dumps over real JACK ports share. Sourced; expects $dir (the scratch
# folder whose *.log files a failure shows) and $cli (tolvane-cli).

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
