#!/bin/sh
# Runs a Windows program of the build under Wine: quiet, without the Mono and
# Gecko installers, in a 32-bit prefix of its own (KVQ_WINEPREFIX, default
# build-win32-deps/wine). WINEPATH lets test programs that link a module find
# it where the host loads it from (set by the build, see CMakeLists.txt).
here="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${KVQ_WINEPREFIX:-${KVQ_WIN32_DEPS:-$here/build-win32-deps}/wine}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
