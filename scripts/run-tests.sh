#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, the suites that also run on PostgreSQL
# among them. The exit status is the tests' verdict.
# --sanitizers: then also the sanitizer builds (scripts/sanitizers.sh), as CI runs it; the ASan
#               build starts while the plain suite runs.
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

# A build still running in the background when the run ends goes with it.
trap 'kill $(jobs -p) 2> /dev/null || true' EXIT

packages=("${POSTGRES_PACKAGES[@]}" "${DEMO_PACKAGES[@]}")
[ "$sanitizers" = 1 ] && packages+=("${SANITIZER_PACKAGES[@]}")
install_packages "${packages[@]}"
build_all -DVDS_BUILD_BENCH=OFF
[ "$sanitizers" = 1 ] && start_sanitizer_build "$ROOT/build-asan" address,undefined
(cd "$BUILD" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")
if [ "$sanitizers" = 1 ]; then run_sanitizer_suites; fi
