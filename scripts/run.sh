#!/usr/bin/env bash
# Sets up, builds and runs the main job: kvqsim on the shipped example.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh"
out="$here/build/out"
mkdir -p "$out"
exec "$here/build/bin/kvqsim" --save "$out/example_saved.scn" --trace "$out/example_trace.csv" \
  --plot "$out/example_tracks.svg" "$@"
