#!/usr/bin/env bash
# The load check: 50 traffic monitor windows, each a process of its own refreshing 100 stations
# once a second for 60 s, against one local PostgreSQL server, a throwaway cluster started here
# and stopped at the end. Prints ticks done, errors, the median and 99th-percentile tick time and
# the server's peak connection count. Arguments go to vds-pgload (--windows, --stations,
# --seconds).
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/../../scripts/lib.sh"
source "$HERE/../../scripts/postgres.sh"

install_packages "${POSTGRES_PACKAGES[@]}"
build_all -DVDS_BUILD_BENCH=ON

DIR=$(mktemp -u /tmp/vds-pgload.XXXXXX)
trap '"$ROOT/scripts/pg-cluster.sh" stop "$DIR"' EXIT
"$ROOT/scripts/pg-cluster.sh" start "$DIR" > /dev/null
set -a
source "$DIR/env"
set +a
"$ROOT/db/postgres/setup.sh" kelnor > /dev/null
# Every log-on and log-off in the server's log, so the peak count misses none.
psql -X -q -d postgres -c "ALTER SYSTEM SET log_connections = on" \
    -c "ALTER SYSTEM SET log_disconnections = on" -c "SELECT pg_reload_conf()" > /dev/null
"$BUILD/bench/pgload/vds-pgload" --server-log "$DIR/server.log" "$@"
