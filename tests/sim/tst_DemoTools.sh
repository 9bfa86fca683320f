#!/usr/bin/env bash
# The demo's start-up check (scripts/demo-tools.sh) with the real tools: a tool that does not
# come up stops the start-up with one line naming it, the reason and its log, a non-zero exit,
# and nothing started left running; a tool that does come up is reported ready only once it is.
#
#   tst_DemoTools.sh DEMO_TOOLS_SH VDS_COMMSIM VDS_LIVEFEED VDS_MAKEDB SCHEMA_SQL
set -uo pipefail
[ $# -eq 5 ] || { echo "usage: $0 DEMO_TOOLS_SH VDS_COMMSIM VDS_LIVEFEED VDS_MAKEDB SCHEMA_SQL" >&2; exit 2; }
export PIECE=$1 COMMSIM=$2 LIVEFEED=$3
MAKEDB=$4 SCHEMA=$5

WORK=$(mktemp -d /tmp/tst_DemoTools.XXXXXX)
export WORK
holder=
finish() {
    [ -z "$holder" ] || { kill "$holder"; wait "$holder"; }
    rm -rf "$WORK"
}
trap finish EXIT

failures=0
fail() {
    echo "FAIL $case: $*"
    failures=$((failures + 1))
}

# Processes whose command line names the test's folder: those the start-ups under test began.
ours_running() {
    local f cmd
    for f in /proc/[0-9]*/cmdline; do
        cmd=$({ tr '\0' ' ' < "$f"; } 2> /dev/null)
        [[ "$cmd" == *"$WORK/"* ]] && return 0
    done
    return 1
}

# startup BODY: BODY in a fresh shell set up as run-demo.sh is (the piece sourced, errors fatal,
# demo_stop_all on exit); sets status, out and err.
startup() {
    bash -c 'set -euo pipefail; source "$PIECE"; trap demo_stop_all EXIT; eval "$1"' startup "$1" \
        > "$WORK/out" 2> "$WORK/err"
    status=$?
    out=$(cat "$WORK/out")
    err=$(cat "$WORK/err")
}

# expect_stopped LINE: the start-up ended non-zero, before its end, with exactly LINE on stderr
# (LINE a glob) and nothing of its own still running.
expect_stopped() {
    [ "$status" -ne 0 ] || fail "exit status 0"
    [[ "$out" != *reached* ]] || fail "went on after the failed start"
    [[ "$err" == $1 ]] || fail "stderr is '$err', wanted '$1'"
    ! ours_running || fail "left a process running"
}

"$MAKEDB" "$WORK/db" "$SCHEMA" > /dev/null || { echo "cannot make the database"; exit 1; }
export DB=$WORK/db

# A port the system picked, held by a stand-in server outside the start-ups under test.
"$COMMSIM" --port 0 > "$WORK/holder.log" 2>&1 &
holder=$!
held=
for _ in $(seq 100); do
    held=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$WORK/holder.log")
    [ -n "$held" ] && break
    kill -0 "$holder" 2> /dev/null || break
    sleep 0.1
done
[ -n "$held" ] || { echo "the holder did not listen: $(cat "$WORK/holder.log")"; exit 1; }
export HELD=$held

case="taken port, after a tool that did start"
startup '
    demo_start_livefeed "$WORK/feed.log" "$LIVEFEED" --db "$DB" --interval-ms 60000 || exit 1
    echo "feed ready"
    demo_start_commsim "$HELD" "$WORK/commsim.log" "$COMMSIM" --db "$DB" --demo || exit 1
    echo reached'
expect_stopped "vds-commsim: port $held is in use (log: $WORK/commsim.log)"
[[ "$out" == "feed ready" ]] || fail "the live feed before it was not ready: '$out'"
kill -0 "$holder" 2> /dev/null || fail "the port's holder was ended"

case="server that starts"
startup '
    demo_start_commsim 0 "$WORK/commsim.log" "$COMMSIM" --db "$DB" --demo || exit 1
    port=$(sed -n "s/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p" "$WORK/commsim.log")
    # Answers once reported ready: a connection is taken at once.
    exec 3<> "/dev/tcp/127.0.0.1/$port"
    echo reached'
[ "$status" -eq 0 ] || fail "exit status $status, stderr '$err'"
[[ "$out" == reached ]] || fail "stdout '$out'"
! ours_running || fail "the server outlived the start-up"

case="server that exits at once"
startup '
    demo_start_commsim 0 "$WORK/commsim.log" "$COMMSIM" --db "$WORK/missing" --demo || exit 1
    echo reached'
expect_stopped "vds-commsim: exited with status 2: *$WORK/missing (log: $WORK/commsim.log)"

case="live feed that reports an error and keeps running"
startup '
    demo_start_livefeed "$WORK/feed.log" "$LIVEFEED" --db "$WORK/missing" --interval-ms 60000 || exit 1
    echo reached'
expect_stopped "vds-livefeed: *$WORK/missing (log: $WORK/feed.log)"

case="tool never ready within its time limit"
startup '
    demo_start vds-livefeed "$WORK/feed.log" 1 false -- "$LIVEFEED" --db "$DB" --interval-ms 60000 || exit 1
    echo reached'
expect_stopped "vds-livefeed: not ready after 1 s (log: $WORK/feed.log)"

case="program that cannot be run"
startup '
    demo_start_livefeed "$WORK/feed.log" "$WORK/no-such-program" || exit 1
    echo reached'
expect_stopped "vds-livefeed: exited with status 127: *$WORK/no-such-program* (log: $WORK/feed.log)"

if [ "$failures" -ne 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "all passed"
