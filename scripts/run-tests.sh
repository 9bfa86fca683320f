#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, the suites that also run on PostgreSQL
# among them. The exit status is the tests' verdict.
# --sanitizers: then also the sanitizer builds (scripts/sanitizers.sh), as CI runs it.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/postgres.sh"
source "$(dirname "$0")/sanitizers.sh"

sanitizers=0
for arg in "$@"; do
    case "$arg" in
        --sanitizers) sanitizers=1 ;;
        *) echo "usage: $0 [--sanitizers]" >&2; exit 2 ;;
    esac
done

install_packages "${POSTGRES_PACKAGES[@]}"
build_all -DVDS_BUILD_BENCH=OFF
cd "$BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
if [ "$sanitizers" = 1 ]; then run_sanitizer_suites; fi
