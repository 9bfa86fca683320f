#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demo on the build (scripts/demo.sh): the demo
# database, and the programs started on it with the stand-in communication server. Without a
# display the programs run under Xvfb and a screenshot of each main window is written to
# build/screenshots/ instead.
#
#   run-demo.sh              the embedded database (SQLite), as the programs' default
#   run-demo.sh --postgres   a throwaway PostgreSQL cluster, stopped at the end
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/postgres.sh"

postgres=0
for arg in "$@"; do
    case "$arg" in
        --postgres) postgres=1 ;;
        *) echo "usage: $0 [--postgres]" >&2; exit 2 ;;
    esac
done

if [ "$postgres" -eq 1 ]; then
    install_packages "${DEMO_PACKAGES[@]}" "${POSTGRES_PACKAGES[@]}"
else
    install_packages "${DEMO_PACKAGES[@]}"
fi
build_all -DVDS_BUILD_BENCH=OFF
exec "$ROOT/scripts/demo.sh" "$BUILD" "$@"
