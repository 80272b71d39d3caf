#!/usr/bin/env bash
# Sets up, builds (optimised) and runs every benchmark. Benchmarks report
# speed; they never pass or fail the test run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build-bench}
export BUILD_TYPE=Release
"$root/scripts/build.sh" -DCARTOVA_BUILD_TESTS=OFF
for bench in "$BUILD_DIR"/benchmarks/bench_*; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench" "$@"
done
