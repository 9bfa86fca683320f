#!/usr/bin/env bash
# The demo on programs already built (run-demo.sh installs and builds, then runs this): creates
# the demo database and starts the programs on it with the stand-in communication server.
# Without a display the programs run under Xvfb and a screenshot of each main window is written
# to BUILD/screenshots/ instead, under a window manager so that the windows look as on an
# operator's desktop.
#
#   demo.sh BUILD [--postgres] [--commsim-port PORT]
#
# BUILD holds the programs as the build lays them out (remote/, monitor/, sim/); the database
# and the logs go to BUILD/demo/. --postgres: a throwaway PostgreSQL cluster, stopped at the end.
# --commsim-port is for the tests, which must not need port 3500 free: the stand-in server
# listens on PORT instead (0: one the system picks). morsenda always sends to 3500, so its
# commands then fail.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/demo-tools.sh"

usage() { echo "usage: $0 BUILD [--postgres] [--commsim-port PORT]" >&2; exit 2; }
[ $# -ge 1 ] || usage
BUILD=$1
shift
postgres=0
# morsenda's fixed port.
port=3500
while [ $# -gt 0 ]; do
    case "$1" in
        --postgres) postgres=1 ;;
        --commsim-port) [ $# -ge 2 ] || usage; port=$2; shift ;;
        *) usage ;;
    esac
    shift
done

DEMO="$BUILD/demo"
SHOTS="$BUILD/screenshots"
mkdir -p "$DEMO" "$SHOTS"
# talvero's fixed database name; morsenda gets the same name as its third argument.
DBNAME=kelnor

PGDIR=
# Runs however the demo ends. A second Ctrl-C or kill must not cut it short, nor end what it
# runs (pg_ctl, its waits): from here on those signals are ignored, by its commands too.
cleanup() {
    trap '' INT TERM HUP
    demo_stop_all
    if [ -n "$PGDIR" ]; then "$ROOT/scripts/pg-cluster.sh" stop "$PGDIR" || true; fi
}
trap cleanup EXIT
# Trapped, not left fatal: a fatal one ends the script at once and leaves the command it waits
# on running; a trap runs once that command has ended (at Ctrl-C it has the signal too).
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

if [ "$postgres" -eq 1 ]; then
    PGDIR=$(mktemp -u /tmp/vds-demo-pg.XXXXXX)
    "$ROOT/scripts/pg-cluster.sh" start "$PGDIR" > /dev/null
    # As the server's superuser: the database with the demo data, and morsenda's operator.
    (
        set -a
        source "$PGDIR/env"
        "$ROOT/db/postgres/setup.sh" --demo "$DBNAME" > /dev/null
        psql -X -q -d postgres -v name=demo -v password=demo -f "$ROOT/db/postgres/add-operator.sql"
    )
    # The programs find the server as at a site: libpq's environment, nothing of their own.
    export PGHOST="$PGDIR" PGPORT=5432
    export VDS_DB_DRIVER=QPSQL
    # The demo's writers stand in for the centre's own, which may write: the superuser.
    WRITER=(env "$(grep '^PGUSER=' "$PGDIR/env")" "$(grep '^PGPASSWORD=' "$PGDIR/env")")
    DB="$DBNAME"
    echo "Demo database: $DBNAME on the throwaway PostgreSQL server at $PGDIR"
else
    "$BUILD/sim/vds-makedb" "$DEMO/$DBNAME" "$ROOT/db/schema.sql" "$ROOT/db/demo.sql"
    echo "Demo database: $DEMO/$DBNAME"
    export VDS_DB_DIR="$DEMO"
    export VDS_DB_DRIVER=QSQLITE
    WRITER=(env)
    DB="$DEMO/$DBNAME"
fi

demo_start_commsim "$port" "$DEMO/commsim.log" \
    "${WRITER[@]}" "$BUILD/sim/vds-commsim" --db "$DB" --demo || exit 1
echo "Stand-in communication server on $(sed -n 's/^listening on \([0-9.:]*\).*/\1/p' "$DEMO/commsim.log") (log: $DEMO/commsim.log)"

demo_start_livefeed "$DEMO/livefeed.log" \
    "${WRITER[@]}" "$BUILD/sim/vds-livefeed" --db "$DB" --interval-ms 3000 || exit 1
echo "Live feed writing new traffic and status rows every 3 s (log: $DEMO/livefeed.log)"

MORSENDA=("$BUILD/remote/morsenda" demo demo "$DBNAME" demo demo)
TALVERO=("$BUILD/monitor/talvero")
programs=(MORSENDA)
[ -x "${TALVERO[0]}" ] && programs+=(TALVERO)

if [ -n "${DISPLAY:-}" ]; then
    running=()
    for name in "${programs[@]}"; do
        declare -n cmd="$name"
        "${cmd[@]}" &
        running+=($!)
        DEMO_PIDS+=($!)
    done
    echo "Running; close the programs' windows to end the demo."
    wait "${running[@]}" || true
    # Waited for: their numbers may be another process's by now.
    for pid in "${running[@]}"; do demo_forget "$pid"; done
    exit 0
fi

demo_start_xvfb "$DEMO/xvfb.log" || exit 1
# The programs and the screenshots on that screen, also where the caller names another Qt
# platform (ctest names offscreen).
export QT_QPA_PLATFORM=xcb
demo_start_wm "$DEMO/openbox.log" || exit 1
echo "No display: running under Xvfb ($DISPLAY) and openbox, writing screenshots to $SHOTS"

shot() {
    "$BUILD/sim/vds-screenshot" "$SHOTS/$1.png"
    echo "Screenshot: $SHOTS/$1.png"
}

# The topmost visible window whose whole title is $1, waited for: the window manager places
# each window, so clicks go to a window, not to a place on the screen.
window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | tail -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "demo walk: no window titled \"$1\" (logs: $DEMO)" >&2
    return 1
}
# click WINDOW X Y PAUSE: X and Y from the window's own corner, inside the manager's frame.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep "$4"; }

# What an operator would do first in each program, by mouse at the layout's fixed places.
# A message box takes the focus; Return dismisses it.
dismiss() { xdotool key Return; sleep "$1"; }
walk_morsenda() {
    local main
    main=$(window 'Morsenda')
    click "$main" 92 8 0.7      # 제어기제어
    click "$main" 140 29 2.5    # 제어기 파라미터 설정: the window opens with its tree
    click "$main" 67 225 1.5    # tick a controller: its stored parameters fill the groups
    click "$main" 531 211 1.5   # 루프 검지기 설정 UP: the stand-in server answers and writes the values
    shot morsenda-paramset
    dismiss 2                   # the group is read again after the 1 s wait
    shot morsenda-paramset-reloaded
    click "$main" 92 8 0.7      # 제어기제어
    xdotool key r               # 제어기 원격제어(R)
    sleep 2.5
    click "$main" 67 225 1      # tick a controller
    click "$main" 519 378 1.5   # 제어기 버전 요청: 제어
    dismiss 2                   # the version is read after the 1 s wait
    shot morsenda-remotectrl
    click "$main" 92 8 0.7      # 제어기제어
    xdotool key q               # 축적 교통 정보 요청(Q)
    sleep 2.5
    click "$main" 67 225 1      # tick a controller
    click "$main" 114 81 1.5    # 요청
    dismiss 1                   # inside the 5 s wait: the window stays painted
    shot morsenda-inforeq-waiting
    sleep 5
    shot morsenda-inforeq
    click "$main" 20 37 1       # 계단식 배열 (Cascade)
    shot morsenda-cascade
    click "$main" 53 37 1       # Tile Horizontally
    shot morsenda-tile-horizontal
    click "$main" 86 37 1       # Tile Vertically
    shot morsenda-tile-vertical
    click "$main" 207 8 0.7     # 도움말
    xdotool key a               # &About...
    sleep 1
    shot morsenda-about
}
walk_talvero() {
    local main status
    main=$(window 'Talvero')
    click "$main" 86 8 0.7      # 모니터링
    click "$main" 140 29 2.5    # 교통상황모니터링(Text)
    click "$main" 53 247 0.3    # tick two axes
    click "$main" 53 429 0.3
    click "$main" 138 85 3.5    # 시작: the grid refreshes every second
    shot talvero-monitor
    click "$main" 310 85 2.5    # 장비상태: the status window, fed by the monitor's ticks
    shot talvero-devsts-all
    status=$(window '장비 상태 모니터링')
    click "$status" 154 23 2.5  # 오류장비: only the faulty stations
    shot talvero-devsts-faulty
    # 장비검색, a "..." button, the first row of its pick list, 확인, 검색; then close the SQL window
    search_from() {
        local search pick sql
        click "$main" 396 85 1      # a new search window
        search=$(window '장비검색')
        click "$search" 369 "$1" 1.5 # its "..." button: the pick list loads its rows
        shot "talvero-pick-$7"
        pick=$(window "$2")
        click "$pick" "$3" "$4" 0.5  # the first row
        click "$pick" "$5" "$6" 0.7  # 확인: the id and name go into the search window
        click "$search" 409 67 2     # 검색: the SQL window opens and the grid fills
        shot "talvero-search-$7"
        sql=$(window '디버그 창')
        click "$sql" 438 20 0.5      # the SQL window's Close
    }
    search_from 19 축정보 40 31 252 216 axis
    search_from 43 지점군정보 40 31 260 192 group
    search_from 67 지점정보 48 39 248 232 point
}

for name in "${programs[@]}"; do
    declare -n cmd="$name"
    "${cmd[@]}" > "$DEMO/${name,,}.log" 2>&1 &
    pid=$!
    DEMO_PIDS+=("$pid")
    sleep 3
    shot "${name,,}"
    if [ "$name" = MORSENDA ]; then walk_morsenda; else walk_talvero; fi
    demo_stop "$pid"
done
