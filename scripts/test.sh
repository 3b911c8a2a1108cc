#!/usr/bin/env bash
# Sets up, builds and runs every test: the 64-bit Release build, the same
# under AddressSanitizer and UndefinedBehaviorSanitizer, the page server's
# tests under ThreadSanitizer, the 32-bit x86 build, then the 32-bit
# Windows build under Wine (all but the first RelWithDebInfo).
# `scripts/test.sh --quick` runs the 64-bit build only.
# Extra arguments after the options go to ctest.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
quick=0
if [ "${1:-}" = "--quick" ]; then quick=1; shift; fi

if [ $quick -eq 1 ]; then bash "$here/scripts/setup.sh"; else bash "$here/scripts/setup.sh" --i386 --win32; fi

# Tests share the assembled root (logs, hand-off files), so they run one at a time.
run_suite() {
  local name="$1" dir="$2"; shift 2
  echo "== $name: build"
  BUILD_DIR="$dir" bash "$here/scripts/build.sh" "$@"
  echo "== $name: tests"
  (cd "$dir" && ctest --output-on-failure "${ctest_args[@]}")
}
ctest_args=("$@")

run_suite "64-bit" "$here/build"
if [ $quick -eq 0 ]; then
  export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=1"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
  BUILD_TYPE=RelWithDebInfo run_suite "sanitizers" "$here/build-asan" -DSANITIZE=address,undefined
  unset ASAN_OPTIONS UBSAN_OPTIONS
  # The server's threads: its tests (the protocol, several people over raw
  # WebSockets, the page in a browser) with kvqsim built for ThreadSanitizer.
  echo "== server under ThreadSanitizer: build"
  if [ ! -f "$here/build-tsan/build.ninja" ]; then
    cmake -S "$here" -B "$here/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=thread >/dev/null
  fi
  cmake --build "$here/build-tsan" --target kvqsim kvqsim_serve_test -- -k 0 >/dev/null ||
    cmake --build "$here/build-tsan" --target kvqsim kvqsim_serve_test
  echo "== server under ThreadSanitizer: tests"
  (cd "$here/build-tsan" &&
    TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$here/tests/tsan.supp" \
    ctest --output-on-failure -R '^(Protocol|Record|Serve|Pacing)\.|^serve_session$|^browser_serve_page$')
  BUILD_TYPE=RelWithDebInfo run_suite "32-bit x86" "$here/build-i386" --toolchain "$here/cmake/i386.cmake"
  BUILD_TYPE=RelWithDebInfo run_suite "32-bit Windows, under Wine" "$here/build-win32" \
    --toolchain "$here/cmake/mingw-i686.cmake"
fi
