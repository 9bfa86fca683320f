#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests, the demo and the load check. It never touches a
# server the machine already has: its data, its socket and its log live in a folder of its own,
# and it listens on that socket only (no TCP port).
#
#   pg-cluster.sh start DIR     initdb in DIR (made here, must not exist) and start the server;
#                               writes DIR/env, the libpq environment that reaches it as its
#                               superuser, and prints it
#   pg-cluster.sh stop DIR      stop the server and remove DIR
#   pg-cluster.sh halt DIR      stop the server, keep DIR (a server restart: resume brings it back)
#   pg-cluster.sh resume DIR    start a halted server again
#   pg-cluster.sh prepare ROOT  make ROOT for clusters of one test run, stopping any left there
#   pg-cluster.sh sweep ROOT    stop every cluster under ROOT and remove ROOT
#
# initdb refuses to run as root: as root the server runs as the unprivileged user vdspg, made
# here when missing. Exits non-zero with the reason when the cluster cannot be had.
set -euo pipefail

SERVER_USER=vdspg
SUPERUSER=vds_admin
PORT=5432

die() {
    echo "pg-cluster.sh: $*" >&2
    exit 1
}

bindir() {
    local d
    d=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    if [ -n "$d" ] && [ -x "$d/initdb" ]; then
        echo "$d"
    elif command -v initdb > /dev/null; then
        dirname "$(command -v initdb)"
    else
        die "initdb not found (install the postgresql package)"
    fi
}

as_server() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u "$SERVER_USER" -- "$@"
    else
        "$@"
    fi
}

ensure_server_user() {
    [ "$(id -u)" -eq 0 ] || return 0
    id "$SERVER_USER" > /dev/null 2>&1 && return 0
    # Test suites start clusters side by side; one of them makes the user.
    (
        flock 9
        id "$SERVER_USER" > /dev/null 2>&1 ||
            useradd --system --no-create-home --shell /usr/sbin/nologin "$SERVER_USER"
    ) 9> /tmp/vds-pg-cluster-user.lock
    id "$SERVER_USER" > /dev/null 2>&1 || die "cannot make the user $SERVER_USER"
}

server_start() {
    local dir=$1 bin=$2
    as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start > /dev/null ||
        die "the server did not start: $(tail -n 5 "$dir/server.log" 2>/dev/null)"
}

server_stop() {
    local dir=$1 bin=$2
    [ -f "$dir/data/postmaster.pid" ] || return 0
    as_server "$bin/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop > /dev/null && return 0
    echo "pg-cluster.sh: the server in $dir did not stop" >&2
    return 1
}

start() {
    local dir=$1 bin
    bin=$(bindir)
    [ -e "$dir" ] && die "$dir exists already"
    ensure_server_user
    mkdir -p "$dir"
    chmod 700 "$dir"
    local password
    password=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    printf '%s\n' "$password" > "$dir/superuser-password"
    if [ "$(id -u)" -eq 0 ]; then
        chown "$SERVER_USER:" "$dir" "$dir/superuser-password"
    fi
    # Byte order of texts, as the embedded database sorts them; passwords on every log-on.
    as_server "$bin/initdb" -D "$dir/data" -U "$SUPERUSER" --pwfile="$dir/superuser-password" \
        --auth=scram-sha-256 -E UTF8 --locale=C --no-sync > "$dir/initdb.log" 2>&1 ||
        die "initdb failed: $(tail -n 5 "$dir/initdb.log")"
    cat >> "$dir/data/postgresql.conf" <<EOF
listen_addresses = ''
port = $PORT
unix_socket_directories = '$dir'
unix_socket_permissions = 0777
max_connections = 200
fsync = off
synchronous_commit = off
full_page_writes = off
log_min_messages = warning
EOF
    server_start "$dir" "$bin"
    cat > "$dir/env" <<EOF
PGHOST=$dir
PGPORT=$PORT
PGUSER=$SUPERUSER
PGPASSWORD=$password
PGDATABASE=postgres
EOF
    cat "$dir/env"
}

stop() {
    local dir=$1
    [ -d "$dir" ] || return 0
    server_stop "$dir" "$(bindir)"
    rm -rf "$dir"
}

sweep() {
    local root=$1 bin pid
    [ -d "$root" ] || return 0
    bin=$(bindir)
    local failed=0
    for pid in "$root"/*/data/postmaster.pid; do
        [ -f "$pid" ] || continue
        server_stop "$(dirname "$(dirname "$pid")")" "$bin" || failed=1
    done
    rm -rf "$root"
    return "$failed"
}

[ $# -eq 2 ] || die "usage: pg-cluster.sh start|stop|halt|resume|prepare|sweep DIR"
case "$1" in
    start) start "$2" ;;
    stop) stop "$2" ;;
    halt) server_stop "$2" "$(bindir)" ;;
    resume) server_start "$2" "$(bindir)" ;;
    prepare)
        sweep "$2"
        bindir > /dev/null
        ensure_server_user
        mkdir -p "$2"
        chmod 755 "$2"
        ;;
    sweep) sweep "$2" ;;
    *) die "unknown command $1" ;;
esac
