#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The exit status is the tests' verdict.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

install_packages
build_all
cd "$BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
