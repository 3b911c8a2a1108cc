#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh"
cd "$here/build"
# Tests share the assembled root (logs, hand-off files), so they run one at a time.
ctest --output-on-failure "$@"
