#!/usr/bin/env bash
# Installs what is missing, then configures and builds into build/ (or $BUILD_DIR).
# Extra arguments go to CMake's configure step, e.g. -DCARTOVA_TSAN=ON.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
