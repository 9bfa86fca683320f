#!/usr/bin/env bash
# The demo (scripts/demo.sh) with the programs as built ends everything it started, however it
# ends: Ctrl-C, a kill of the script, a hang-up, or the programs closed; with a display (the
# programs offscreen) and without one (Xvfb and openbox, the programs on that screen).
#
#   tst_DemoEnd.sh DEMO_SH MORSENDA TALVERO VDS_COMMSIM VDS_LIVEFEED VDS_MAKEDB VDS_SCREENSHOT
set -uo pipefail
[ $# -eq 7 ] || { echo "usage: see $0" >&2; exit 2; }
DEMO_SH=$1

WORK=$(mktemp -d /tmp/tst_DemoEnd.XXXXXX)
# A build folder of links to the programs under test: the demo's database, logs and screenshots
# go there, not into the build folder the suite runs in.
BUILD=$WORK/build
mkdir -p "$BUILD/remote" "$BUILD/monitor" "$BUILD/sim"
ln -s "$2" "$BUILD/remote/morsenda"
ln -s "$3" "$BUILD/monitor/talvero"
for tool in "${@:4}"; do ln -s "$tool" "$BUILD/sim/"; done

demo=
failures=0
fail() {
    echo "FAIL $case: $*"
    failures=$((failures + 1))
}

# The demo's processes still running, "PID (NAME) STATE: COMMAND" each: those in its session,
# and any that left it but carry the test's folder in their environment.
ours() {
    local d stat state session pids=() pid name
    for d in /proc/[0-9]*; do
        read -r stat 2> /dev/null < "$d/stat" || continue
        read -r state _ _ session _ <<< "${stat##*) }"
        [ "$session" = "$demo" ] && [ "$state" != Z ] && pids+=("${d#/proc/}")
    done
    for d in $(grep -lsF -- "$WORK/" /proc/[0-9]*/environ); do
        d=${d%/environ}
        read -r stat 2> /dev/null < "$d/stat" || continue
        [[ "${stat##*) }" == Z* ]] || pids+=("${d#/proc/}")
    done
    for pid in $(printf '%s\n' "${pids[@]}" | sort -un); do
        read -r stat 2> /dev/null < "/proc/$pid/stat" || continue
        state=${stat##*) }
        name=${stat#* }
        echo "$pid ${name%) *}) ${state%% *}: $(tr '\0' ' ' 2> /dev/null < "/proc/$pid/cmdline")"
    done
}

end_ours() {
    local left
    left=$(ours | cut -d ' ' -f 1)
    [ -z "$left" ] || kill -KILL $left 2> /dev/null
}

finish() {
    [ -z "$demo" ] || end_ours
    rm -rf "$WORK"
}
trap finish EXIT

# start ENV...: the demo in a session of its own, with ENV set or unset (env's arguments), and
# SIGINT as at a terminal: this shell starts it in the background, which would leave it ignored.
start() {
    setsid env --default-signal=INT "$@" "TST_DEMO_END=$WORK/" \
        bash "$DEMO_SH" "$BUILD" --commsim-port 0 > "$WORK/demo.log" 2>&1 &
    demo=$!
}

# await_program NAME: waits until the demo runs the program NAME; sets pid to it.
await_program() {
    local d arg0
    for _ in $(seq 300); do
        for d in /proc/[0-9]*; do
            arg0=
            read -r -d '' arg0 2> /dev/null < "$d/cmdline"
            if [[ "$arg0" == "$BUILD/"*"/$1" ]]; then
                pid=${d#/proc/}
                return 0
            fi
        done
        kill -0 "$demo" 2> /dev/null || break
        sleep 0.1
    done
    fail "$1 never ran: $(tail -n 3 "$WORK/demo.log")"
    return 1
}

# await_window PID TITLE: waits until the program PID shows a window titled TITLE on the screen
# it was given.
await_window() {
    local screen
    screen=$(tr '\0' '\n' < "/proc/$1/environ" | sed -n 's/^DISPLAY=//p')
    for _ in $(seq 300); do
        DISPLAY=$screen xdotool search --onlyvisible --name "^$2\$" > /dev/null 2>&1 && return 0
        kill -0 "$1" 2> /dev/null || break
        sleep 0.1
    done
    fail "no window \"$2\" on the demo's screen \"$screen\""
    return 1
}

# expect_ended STATUS: the demo ends with STATUS and leaves nothing of its own running.
expect_ended() {
    local status left
    for _ in $(seq 300); do
        kill -0 "$demo" 2> /dev/null || break
        sleep 0.1
    done
    if kill -0 "$demo" 2> /dev/null; then
        fail "still running 30 s later"
    else
        wait "$demo"
        status=$?
        [ "$status" -eq "$1" ] || fail "exit status $status, wanted $1: $(tail -n 3 "$WORK/demo.log")"
    fi
    left=$(ours)
    [ -z "$left" ] || fail "left running:"$'\n'"$left"
    end_ours
}

# With a display: both programs run side by side until closed.
with_display() {
    morsenda= talvero=
    start "DISPLAY=test-display:0" && await_program morsenda && morsenda=$pid &&
        await_program talvero && talvero=$pid
}

# Each case sends its signal also when the demo did not get as far as awaited, so that how it
# then ends is still checked.
case="display, Ctrl-C"
with_display
kill -INT -- -"$demo"
expect_ended 130

case="display, Ctrl-C twice"
with_display
kill -INT -- -"$demo"
# Again as soon as talvero, the last started, has been ended: the others are still to end.
for _ in $(seq 500); do
    kill -0 "$talvero" 2> /dev/null || break
    sleep 0.02
done
kill -INT -- -"$demo"
expect_ended 130

case="display, the script killed"
with_display
kill -TERM "$demo"
expect_ended 143

case="display, hang-up"
with_display
kill -HUP "$demo"
expect_ended 129

# The operator closes both; offscreen that is their end from outside.
case="display, the programs closed"
if with_display; then kill "$morsenda" "$talvero"; else kill "$demo"; fi
expect_ended 0

# Without one: the demo's own Xvfb and openbox, morsenda walked first, on that screen.
without_display() {
    start -u DISPLAY && await_program morsenda && await_window "$pid" Morsenda
}

case="no display, Ctrl-C"
without_display
kill -INT -- -"$demo"
expect_ended 130

case="no display, the script killed"
without_display
kill -TERM "$demo"
expect_ended 143

if [ "$failures" -ne 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "all passed"
