#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR), passing extra CMake
# arguments through. The build type is Release unless $BUILD_TYPE says
# otherwise.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" "$@" >/dev/null
fi
cmake --build "$build" -- -k 0 >/dev/null || cmake --build "$build"
