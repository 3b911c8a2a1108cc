#!/usr/bin/env bash
# The runner's speed check: an hour of loaded towing (bench/pushback_hour.lua)
# at 1/60 s steps, timed as a whole process with --quiet. Prints the wall
# time and the factor over real time; fails when the run fails or is slower
# than 10,000 times real time.
#   bench/kvqsim_speed.sh [BUILD_DIR]     (default: build/ of this checkout)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
kvqsim="$build/bin/kvqsim"
if [ ! -x "$kvqsim" ]; then
  echo "kvqsim_speed: no $kvqsim; build it first (scripts/build.sh or ninja -C $build kvqsim)" >&2
  exit 2
fi
simulated=3600
target=10000
timing="$(mktemp)"
trap 'rm -f "$timing"' EXIT
set +e
{
  TIMEFORMAT='%R %U %S'
  time "$kvqsim" --quiet --dt 0.016666666666666666 --script "$here/bench/pushback_hour.lua" \
    "$here/bench/pushback_hour.scn" 2>&1
} 2>"$timing"
status=$?
set -e
if [ "$status" -ne 0 ]; then
  echo "kvqsim_speed: the run failed (exit $status)" >&2
  exit "$status"
fi
read -r wall user sys <"$timing"
awk -v wall="$wall" -v user="$user" -v sys="$sys" -v sim="$simulated" -v target="$target" 'BEGIN {
  factor = sim / wall
  printf "kvqsim: %d s of loaded towing in %.3f s wall time (%.3f s CPU): %.0fx real time (target %dx, %.3f s)\n",
         sim, wall, user + sys, factor, target, sim / target
  exit factor >= target ? 0 : 1
}'
