#!/usr/bin/env bash
# Sets up, builds (optimised) and runs every benchmark, or only those named
# in BENCHMARKS (e.g. BENCHMARKS="save_dsd preview_convert" runs
# bench_save_dsd and bench_preview_convert and builds only what they need).
# Benchmarks report speed; they never pass or fail the test run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build-bench}
export BUILD_TYPE=Release
benches=()
if [ -n "${BENCHMARKS:-}" ]; then
  "$root/scripts/setup.sh"
  cmake -S "$root" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DCARTOVA_BUILD_TESTS=OFF >/dev/null
  targets=()
  for name in $BENCHMARKS; do
    targets+=(--target "bench_$name")
    benches+=("$BUILD_DIR/benchmarks/bench_$name")
  done
  cmake --build "$BUILD_DIR" -j"$(nproc)" "${targets[@]}"
else
  "$root/scripts/build.sh" -DCARTOVA_BUILD_TESTS=OFF
  benches=("$BUILD_DIR"/benchmarks/bench_*)
fi
# The figures depend on the machine and on what else runs on it.
echo "cores: $(nproc); load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for bench in "${benches[@]}"; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench" "$@"
done
