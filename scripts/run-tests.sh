#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, the suites that also run on PostgreSQL
# among them. The exit status is the tests' verdict.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/postgres.sh"

install_packages "${POSTGRES_PACKAGES[@]}"
build_all
cd "$BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
