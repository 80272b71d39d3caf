#!/usr/bin/env bash
# Sets up, builds and runs the main job: for now, the framework's tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exec "$root/scripts/run-tests.sh" "$@"
