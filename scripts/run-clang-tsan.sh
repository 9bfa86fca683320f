#!/usr/bin/env bash
# Installs what is missing, then builds the thread and command suites with clang's
# ThreadSanitizer (build-clang-tsan/) and runs them there, with the same suppressions and the
# same verdict as the gcc build CI runs: any test failure or sanitizer report fails it. Not part
# of --sanitizers: it adds about a minute and a half to a run that has to get shorter.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sanitizers.sh"

run_clang_tsan_suites
