#!/usr/bin/env bash
# Installs what is missing, builds Sillaro and starts it on the simulated turntable.
# An optional argument names a WAV file for the simulated turntable to play.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DSILLARO_BUILD_APP=ON >/dev/null
cmake --build "$build" --target sillaro -j"$(nproc)"
exec "$build/app/sillaro" --simulate "$@"
