# Starts the demo's background tools and makes sure each one really runs before the demo says
# so. Sourced, not run. A tool that does not come up is reported on stderr in one line,
#   <tool>: <reason> (log: <path>)
# and the function fails; the caller stops, and its EXIT trap calls demo_stop_all, which ends
# every tool started here.

DEMO_PIDS=()

demo_fail() {
    echo "$1: $2 (log: $3)" >&2
}

# The tool's own word on why it ended: its "<tool>: ..." line, else its last line with text.
demo_last_word() {
    local tool=$1 log=$2 line
    line=$(grep -m 1 "^$tool: " "$log" 2>/dev/null) && { echo "${line#"$tool: "}"; return; }
    grep '[[:alnum:]]' "$log" 2>/dev/null | tail -n 1 | tr -d '\r'
}

# demo_start [--port N] TOOL LOG SECONDS CHECK... -- COMMAND...
# Runs COMMAND in the background, its output in LOG, and repeats CHECK until it succeeds. Fails
# when COMMAND ends first, when it reports an error of its own (a line "TOOL: ..." in LOG) while
# still running, or when CHECK has not succeeded within SECONDS. With --port, a bind the system
# refused is reported as "port N is in use".
demo_start() {
    local port=
    if [ "$1" = --port ]; then
        port=$2
        shift 2
    fi
    local tool=$1 log=$2 seconds=$3 check=()
    shift 3
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        check+=("$1")
        shift
    done
    shift
    : > "$log" # there for the first look, before the tool has started
    "$@" > "$log" 2>&1 &
    local pid=$! tries=$((seconds * 10)) status reason word reported
    DEMO_PIDS+=("$pid")
    while :; do
        reason=
        # The tool's error line is read before its exit is looked at: one that reports and then
        # exits is told by its exit and status, one that reports and keeps running by its line.
        reported=0
        if grep -q "^$tool: " "$log"; then
            reported=1
            demo_await_exit "$pid"
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            status=0
            wait "$pid" || status=$?
            demo_forget "$pid"
            reason="exited with status $status"
            word=$(demo_last_word "$tool" "$log")
            [ -z "$word" ] || reason+=": $word"
        elif [ "$reported" -eq 1 ]; then
            reason=$(demo_last_word "$tool" "$log")
        elif "${check[@]}"; then
            return 0
        else
            tries=$((tries - 1))
            [ "$tries" -gt 0 ] || reason="not ready after $seconds s"
        fi
        if [ -n "$reason" ]; then
            # The tool names only the errno; the operator needs the port.
            if [ -n "$port" ] && grep -q 'Address already in use' "$log"; then
                reason="port $port is in use"
            fi
            demo_fail "$tool" "$reason" "$log"
            return 1
        fi
        sleep 0.1
    done
}

# demo_await_exit PID [TENTHS]: returns once PID has ended, or after TENTHS tenths of a second
# (default 10).
demo_await_exit() {
    local tries=${2:-10}
    while kill -0 "$1" 2>/dev/null && [ "$tries" -gt 0 ]; do
        sleep 0.1
        tries=$((tries - 1))
    done
}

# demo_start_commsim PORT LOG COMMAND...: the stand-in server, COMMAND given --port PORT; ready
# once it says it listens there (PORT 0: wherever the system put it).
demo_start_commsim() {
    local port=$1 log=$2
    shift 2
    local at=$port
    [ "$port" -ne 0 ] || at='[0-9]+'
    demo_start --port "$port" vds-commsim "$log" 10 \
        grep -qE "^listening on 127\.0\.0\.1:$at( |\$)" "$log" -- "$@" --port "$port"
}

# demo_start_livefeed LOG COMMAND...: the live feed, ready once it has written its first round.
demo_start_livefeed() {
    local log=$1
    shift
    demo_start vds-livefeed "$log" 10 grep -qE '^[0-9T:-]+ traffic [0-9]+, ' "$log" -- "$@"
}

demo_display_answers() {
    local number
    number=$(grep -m 1 -xE '[0-9]+' "$1") && DISPLAY=":$number" xdotool getdisplaygeometry > /dev/null 2>&1
}

# demo_start_xvfb LOG: a virtual screen on a display number the server found free, exported as
# DISPLAY once a client can open it. 880 lines: the lowest pick list's designed place, with
# its title bar, ends at line 869.
demo_start_xvfb() {
    local log=$1
    demo_start Xvfb "$log" 10 demo_display_answers "$log" -- \
        Xvfb -displayfd 1 -screen 0 1280x880x24 -nolisten tcp || return 1
    DISPLAY=":$(grep -m 1 -xE '[0-9]+' "$log")"
    export DISPLAY
}

# demo_start_wm LOG: openbox on $DISPLAY with Debian's own configuration (not the user's), ready
# once it manages the screen: only a window manager sets the current desktop.
demo_start_wm() {
    demo_start openbox "$1" 10 demo_wm_manages -- openbox --config-file /etc/xdg/openbox/rc.xml
}

demo_wm_manages() {
    xdotool get_desktop > /dev/null 2>&1
}

# demo_stop PID: ends one tool started here (TERM, then KILL after 5 s) and forgets it.
demo_stop() {
    local pid=$1
    kill "$pid" 2>/dev/null || true
    demo_await_exit "$pid" 50
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    demo_forget "$pid"
}

# An ended tool's number may be given to another process: never signal it again.
demo_forget() {
    local kept=() p
    for p in "${DEMO_PIDS[@]}"; do [ "$p" = "$1" ] || kept+=("$p"); done
    DEMO_PIDS=("${kept[@]}")
}

# demo_stop_all: ends every tool started here, the last started first.
demo_stop_all() {
    local i
    for ((i = ${#DEMO_PIDS[@]} - 1; i >= 0; i--)); do demo_stop "${DEMO_PIDS[i]}"; done
}
