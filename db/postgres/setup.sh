#!/usr/bin/env bash
# Sets up the traffic database on a PostgreSQL server for the two programs:
#
#   db/postgres/setup.sh [--demo] [DATABASE]      (DATABASE defaults to kelnor)
#
# Makes the roles (roles.sql, kept where present), creates DATABASE owned by the role running
# this, with the tables (schema.sql), DECODE (functions.sql) and the read-only grants
# (grants.sql); --demo loads the demo data (db/demo.sql) as well. The server and the role are
# libpq's own environment (PGHOST, PGPORT, PGUSER, PGPASSWORD or ~/.pgpass); the role needs
# CREATEROLE and CREATEDB, or superuser. An existing DATABASE is refused, never changed.
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

demo=0
database=kelnor
for arg in "$@"; do
    case "$arg" in
        --demo) demo=1 ;;
        -*) echo "usage: $0 [--demo] [DATABASE]" >&2; exit 2 ;;
        *) database=$arg ;;
    esac
done

psql_in() {
    local db=$1
    shift
    psql -X -q -v ON_ERROR_STOP=1 -d "$db" "$@"
}

psql_in postgres -f "$HERE/roles.sql"
# Names go through psql's own quoting, whatever they hold.
exists=$(echo "SELECT 1 FROM pg_database WHERE datname = :'name'" |
             psql_in postgres -At -v name="$database")
if [ -n "$exists" ]; then
    echo "setup.sh: database $database exists already; nothing changed" >&2
    exit 1
fi
echo "CREATE DATABASE :\"name\" ENCODING 'UTF8' TEMPLATE template0" |
    psql_in postgres -v name="$database"
psql_in "$database" -f "$HERE/schema.sql" -f "$HERE/functions.sql" -f "$HERE/grants.sql"
if [ "$demo" -eq 1 ]; then
    psql_in "$database" -f "$HERE/../demo.sql"
fi
echo "Database $database is ready; the monitoring program logs on as kelnor."
