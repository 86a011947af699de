#!/usr/bin/env bash
# Unsaved changes outlive a crash: the editor (through its driver, on the offscreen platform) is
# killed with SIGKILL 3 s after an edit and started again, and must offer the changes back; a
# normal save and exit leaves nothing to offer; two running editors never offer each other's
# files; a recovery file that does not read is set aside with a message.
#   RecoveryAfterKill.sh RECOVERY_DRIVER DEMO_DUMP
set -euo pipefail
driver=$1
demo=$2

dir=$(mktemp -d)
running=()
cleanup() {
    for pid in "${running[@]}"; do
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$dir"
}
trap cleanup EXIT
# shellcheck source=JackKit.sh
source "$(dirname "$0")/JackKit.sh"

recovery="$dir/recovery"
mkdir -p "$dir/images"

# drive LOG ARGS...: one editor run to its end.
drive() {
    local log=$1
    shift
    "$driver" --ini "$dir/$log.ini" --recovery "$recovery" --backups "$dir/backups" --images "$dir/images" \
        "$@" >"$dir/$log.log" 2>"$dir/$log.err" || fail "the editor ($log) ended with status $?"
}
# start LOG ARGS...: an editor left running; $started is its process.
start() {
    local log=$1
    shift
    "$driver" --ini "$dir/$log.ini" --recovery "$recovery" --backups "$dir/backups" --images "$dir/images" \
        "$@" >"$dir/$log.log" 2>"$dir/$log.err" &
    started=$!
    running+=("$started")
}
# crash LOG ARGS...: started, and killed 3 s after it made its change.
crash() {
    local log=$1
    start "$@"
    wait_for_line "$dir/$log.log" 30 "^ready" || fail "the editor ($log) did not start"
    sleep 3
    kill -9 "$started"
    wait "$started" 2>/dev/null || true
}
says() { grep -qxF -- "$2" "$dir/$1.log"; }
entries() { find "$recovery" -maxdepth 1 -name '*.syx' | wc -l; }

# 1. An edited file: killed, then recovered byte for byte, modified, with its path; the same file
# named on the command line is not opened twice, and Save writes it.
cp "$demo" "$dir/rig.syx"
crash edit --edit "$dir/rig.syx"
grep -qxF "edited" "$dir/edit.log" || fail "no edit was made"
cp "$dir/images/edited.syx" "$dir/edited.syx"
[ "$(entries)" -eq 1 ] || fail "the edit left $(entries) recovery files"
drive recover --answer recover "$dir/rig.syx" --save --exit
says recover "question: Tolvane did not close normally. Recover the unsaved changes?" || fail "no question"
says recover "entry: rig.syx" || fail "the question does not list rig.syx"
says recover "open: 1 rig.syx modified=1 path=$dir/rig.syx" || fail "the document did not come back modified"
grep -q "^open: 2" "$dir/recover.log" && fail "the file was opened a second time"
cmp "$dir/edited.syx" "$dir/images/doc1.syx" || fail "the recovered image differs from the edited one"
says recover "saved" || fail "Save did not write the recovered document"
grep -q "^chooser:" "$dir/recover.log" && fail "Save asked for a place"
cmp "$dir/edited.syx" "$dir/rig.syx" || fail "Save did not write the original file"

# 2. A normal save and exit leave no recovery file and no question.
drive saveexit --edit --save --exit "$dir/rig.syx"
says saveexit "saved" || fail "the save did not happen"
[ -z "$(ls -A "$recovery")" ] || fail "a normal exit left $(ls "$recovery")"
drive clean --exit
grep -q "^question:" "$dir/clean.log" && fail "a clean start asked"

# 3. An untitled download: Cancel keeps it for the next start, and so does a start that fails;
# Recover brings it back and keeps it through a second kill; Discard deletes it.
crash download --download
grep -qxF "downloaded" "$dir/download.log" || fail "nothing was downloaded"
cp "$dir/images/downloaded.syx" "$dir/downloaded.syx"
cmp "$demo" "$dir/downloaded.syx" || fail "the download is not the simulator's dump"
drive cancel --answer cancel --exit
says cancel "entry: RIV 10 System Dump1" || fail "the download is not offered"
grep -q "^open:" "$dir/cancel.log" && fail "Cancel opened a document"
[ "$(entries)" -eq 1 ] || fail "Cancel did not keep the download's recovery file"
# A start that ends because the file named on the command line is missing is no normal exit: what
# it recovered stays.
"$driver" --ini "$dir/failed.ini" --recovery "$recovery" --backups "$dir/backups" --answer recover \
    "$dir/missing.syx" >"$dir/failed.log" 2>&1 && fail "a start without its file went on"
says failed "start failed" || fail "the start without its file did not end"
[ "$(entries)" -eq 1 ] || fail "the start that failed lost the recovered download"
crash download2 --answer recover
says download2 "open: 1 RIV 10 System Dump1 modified=1 path=" || fail "the download did not come back untitled"
cmp "$dir/downloaded.syx" "$dir/images/doc1.syx" || fail "the recovered download differs"
[ "$(entries)" -eq 1 ] || fail "the recovered download was not kept through a second kill"
drive discard --answer discard --exit
grep -q "^open:" "$dir/discard.log" && fail "Discard opened a document"
[ "$(entries)" -eq 0 ] || fail "Discard left $(entries) recovery files"

# 4. Two running editors: the second never offers the first one's unsaved file; once the first
# is gone it is offered.
cp "$demo" "$dir/other.syx"
start first --edit "$dir/other.syx"
first=$started
wait_for_line "$dir/first.log" 30 "^kept" || fail "the first editor kept nothing"
drive second --answer recover --exit
grep -q "^question:" "$dir/second.log" && fail "the second editor offered the first one's file"
kill -9 "$first"
wait "$first" 2>/dev/null || true
drive third --answer discard --exit
says third "entry: other.syx" || fail "the file of the editor that died is not offered"

# 5. A recovery file that does not read is set aside, named in a message, and the start goes on.
stem=0badc0de-0000-4000-8000-000000000001_1
printf 'not a dump' >"$recovery/$stem.syx"
printf '{"path":null,"title":"Broken","changed":"2026-03-14T19:15:02.000Z"}' >"$recovery/$stem.json"
drive damaged --exit
grep -q "^message: These recovery files could not be read.*damaged-$stem.syx" "$dir/damaged.log" ||
    fail "no message names the damaged file"
grep -q "^question:" "$dir/damaged.log" && fail "a damaged file was offered"
[ -f "$recovery/damaged-$stem.syx" ] && [ -f "$recovery/damaged-$stem.json" ] || fail "the damaged file was not kept"
says damaged "exited" || fail "the start did not go on"

echo "Recovery across a kill: all cases passed."
