#!/usr/bin/env bash
# Builds and runs every benchmark: kvq_bench (Google Benchmark; extra
# arguments go to it, e.g. --benchmark_filter=PreStep), then the runner's
# speed check. Uses build/ (or $BUILD_DIR), configured RelWithDebInfo as
# scripts/build.sh does when it does not exist yet.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
fi
ninja -C "$build" -j2 kvq_bench kvqsim kvq_root >/dev/null
status=0
"$build/bin/kvq_bench" "$@" || status=$?
"$here/bench/kvqsim_speed.sh" "$build" || status=$?
exit $status
