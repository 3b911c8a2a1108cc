#!/bin/sh
# Runs a Windows program of the build under Wine: quiet, without the Mono and
# Gecko installers, in a 32-bit prefix of its own (KVQ_WINEPREFIX, default
# build-win32-deps/wine). WINEPATH lets test programs that link a module find
# it where the host loads it from (set by the build, see CMakeLists.txt).
here="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${KVQ_WINEPREFIX:-${KVQ_WIN32_DEPS:-$here/build-win32-deps}/wine}"
mkdir -p "$(dirname "$WINEPREFIX")"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# A server that stays a while after its last program ends saves each of the
# many short test programs a server start (about a second and a half). Wine's
# own background programs live as long as the server: they are started here,
# away from the caller's output, which would otherwise stay open until the
# server ends (and keep ctest waiting for it).
if wineserver -p30 </dev/null >/dev/null 2>&1; then
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
fi
exec wine "$@"
