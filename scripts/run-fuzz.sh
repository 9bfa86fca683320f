#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (in build-fuzz/) and runs each for a bounded
# number of runs, from the seeds in fuzz/corpus/. The exit status is the verdict: a failed check,
# a crash or a sanitizer report in any target fails it, and the input is kept in build-fuzz/.
#   FUZZ_RUNS   runs per target (default 1000000)
set -euo pipefail
source "$(dirname "$0")/lib.sh"

RUNS=${FUZZ_RUNS:-1000000}
TARGETS=(fuzz_status_reply fuzz_request_frame fuzz_str_to_int)
FUZZ_BUILD="$ROOT/build-fuzz"

# libFuzzer itself is in the compiler-rt package, which clang only recommends.
install_packages clang libclang-rt-14-dev
cmake -S "$ROOT" -B "$FUZZ_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
cmake --build "$FUZZ_BUILD" -j "$(nproc)" $(printf -- '--target %s ' "${TARGETS[@]}")

status=0
for t in "${TARGETS[@]}"; do
    # New inputs go to the build folder; the committed seeds are only read.
    work="$FUZZ_BUILD/corpus/$t"
    mkdir -p "$work"
    echo "=== $t: $RUNS runs"
    (cd "$FUZZ_BUILD" && "$FUZZ_BUILD/fuzz/$t" -runs="$RUNS" -max_len=256 \
        -artifact_prefix="$FUZZ_BUILD/$t-" "$work" "$ROOT/fuzz/corpus/$t") || status=1
done
exit "$status"
