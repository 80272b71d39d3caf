#!/usr/bin/env bash
# Sets up, builds and runs every test. Extra arguments go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh" "$@"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 900
