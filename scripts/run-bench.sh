#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks, generates their databases and prints the
# programs' work beside the bare engine. Not a test: it prints figures and gives no verdict.
#
#   scripts/run-bench.sh [controllers]        (default 2000)
#
# BENCH_RUNS (default 30) timed runs of each side per row; BENCH_MEMORY_TICKS (default 10000)
# refresh ticks of the memory check, 0 to leave it out; BENCH_JOBS build jobs (default nproc).
set -euo pipefail
source "$(dirname "$0")/lib.sh"

CONTROLLERS=${1:-2000}
RUNS=${BENCH_RUNS:-30}
MEMORY_TICKS=${BENCH_MEMORY_TICKS:-10000}
TREE_SIZES=(1000 5000)

install_packages
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVDS_BUILD_BENCH=ON > /dev/null
cmake --build "$BUILD" -j "${BENCH_JOBS:-$(nproc)}" \
    --target vds-benchdb vds-bench-monitor vds-bench-remote

DATA="$BUILD/bench-data"
mkdir -p "$DATA"
"$BUILD/bench/vds-benchdb" "$DATA/centre.db" "$CONTROLLERS" "$ROOT/db/schema.sql"
trees=()
for n in "${TREE_SIZES[@]}"; do
    "$BUILD/bench/vds-benchdb" "$DATA/tree-$n.db" "$n" "$ROOT/db/schema.sql"
    trees+=(--tree-db "$n=$DATA/tree-$n.db")
done

export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
out=$(mktemp)
trap 'rm -f "$out"' EXIT
echo "Benchmark on $CONTROLLERS controllers (trees: ${TREE_SIZES[*]} stations), medians of $RUNS runs"
"$BUILD/bench/vds-bench-monitor" --db "$DATA/centre.db" "${trees[@]}" --runs "$RUNS" \
    --memory-ticks "$MEMORY_TICKS" 2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2) >> "$out"
"$BUILD/bench/vds-bench-remote" "${trees[@]}" --runs "$RUNS" \
    2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2) >> "$out"

echo
echo "| work | program | bare engine | ratio | runs |"
echo "|---|---|---|---|---|"
grep '^|' "$out" || true
echo
grep -v '^|' "$out" || true
