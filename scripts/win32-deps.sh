#!/usr/bin/env bash
# Builds the libraries of the Windows build for the MinGW-w64 i686 toolchain
# from Debian's own source packages (fetched with apt-get source), into
# build-win32-deps/prefix (or $KVQ_WIN32_DEPS/prefix): Lua 5.1 as lua51.dll
# with its import library and a pkg-config file, GoogleTest as static
# libraries with its CMake package, civetweb as civetweb.dll; and Debian's
# nlohmann-json headers beside them. Nothing of it is kept in the repository.
# Quick when everything is built already; remove the folder to rebuild.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
deps="${KVQ_WIN32_DEPS:-$here/build-win32-deps}"
prefix="$deps/prefix"
target=i686-w64-mingw32
cc="$target-gcc-posix"
# The same floating point as the module: SSE2, not the x87 stack.
cflags=(-O2 -msse2 -mfpmath=sse)
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# A library is built when its stamp holds the recipe it was built with.
built() { [ "$(cat "$prefix/stamps/$1" 2>/dev/null)" = "$2" ]; }
mark_built() { mkdir -p "$prefix/stamps" && echo "$2" >"$prefix/stamps/$1"; }

# apt-get source needs source entries: one deb-src entry beside each deb
# entry of Debian's own sources file.
ensure_source_entries() {
  if grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then return; fi
  echo "win32-deps: adding Debian's source entries" >&2
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $SUDO tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $SUDO tee /etc/apt/sources.list.d/debian-src.list >/dev/null
  fi
  $SUDO apt-get update -qq >/dev/null
}

# debian_source PACKAGE: unpacks Debian's source package (with Debian's
# patches applied) under $deps/src and prints its folder.
debian_source() {
  local pkg="$1" dir
  mkdir -p "$deps/src"
  dir="$(find "$deps/src" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -n 1)"
  if [ -z "$dir" ]; then
    ensure_source_entries
    (cd "$deps/src" && apt-get source -qq "$pkg" >/dev/null 2>&1) || {
      echo "win32-deps: apt-get source $pkg failed" >&2
      exit 1
    }
    dir="$(find "$deps/src" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -n 1)"
  fi
  echo "$dir"
}

# build_c_dll NAME FOLDER FLAGS... -- SOURCES... [-- LIBRARIES...]: compiles
# C sources with the toolchain into bin/NAME.dll and lib/libNAME.dll.a, the C
# runtime linked in so that the DLL needs nothing beside it but Windows' own
# libraries (-lws2_32, say).
build_c_dll() {
  local name="$1" dir="$2"
  shift 2
  local flags=() sources=()
  while [ "$1" != "--" ]; do flags+=("$1"); shift; done
  shift
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do sources+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  local obj="$deps/obj/$name"
  mkdir -p "$obj" "$prefix/bin" "$prefix/lib"
  local objects=()
  for src in "${sources[@]}"; do
    local o="$obj/$(basename "${src%.c}").o"
    "$cc" "${cflags[@]}" "${flags[@]}" -c "$dir/$src" -o "$o"
    objects+=("$o")
  done
  "$cc" -shared -static-libgcc -o "$prefix/bin/$name.dll" "${objects[@]}" "$@" \
    -Wl,--out-implib,"$prefix/lib/lib$name.dll.a"
}

# Lua formats and reads numbers with MinGW's C99 functions (as the C++ code
# does), not with msvcrt's, so that numbers print as on Linux.
LUA_RECIPE="lua51.dll -DLUA_BUILD_AS_DLL -D__USE_MINGW_ANSI_STDIO=1"
build_lua() {
  built lua5.1 "$LUA_RECIPE" && return
  echo "win32-deps: building Lua 5.1 for $target" >&2
  local dir
  dir="$(debian_source lua5.1)"
  local sources=()
  for f in "$dir"/src/*.c; do
    case "$(basename "$f")" in lua.c | luac.c | print.c) ;; *) sources+=("src/$(basename "$f")") ;; esac
  done
  build_c_dll lua51 "$dir" -DLUA_BUILD_AS_DLL -D__USE_MINGW_ANSI_STDIO=1 -- "${sources[@]}"
  mkdir -p "$prefix/include/lua5.1" "$prefix/lib/pkgconfig"
  cp "$dir"/src/{lua.h,luaconf.h,lualib.h,lauxlib.h} "$dir"/etc/lua.hpp "$prefix/include/lua5.1/"
  local version
  version="$(basename "$dir")"
  version="${version#lua5.1-}"
  cat >"$prefix/lib/pkgconfig/lua5.1.pc" <<PC
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include/lua5.1
dlldir=\${prefix}/bin

Name: Lua
Description: Lua 5.1 for MinGW-w64 i686, from Debian's lua5.1 sources
Version: $version
Libs: -L\${libdir} -llua51
Cflags: -I\${includedir} -DLUA_BUILD_AS_DLL
PC
  mark_built lua5.1 "$LUA_RECIPE"
}

GOOGLETEST_RECIPE="static, Win32 threads"
build_googletest() {
  built googletest "$GOOGLETEST_RECIPE" && return
  echo "win32-deps: building GoogleTest for $target" >&2
  local dir
  dir="$(debian_source googletest)"
  # Win32 threads: the tests then need no threads library of their own.
  cmake -S "$dir" -B "$deps/obj/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=ON >/dev/null
  cmake --build "$deps/obj/googletest" >/dev/null
  cmake --install "$deps/obj/googletest" >/dev/null
  mark_built googletest "$GOOGLETEST_RECIPE"
}

# kvqsim's page server: civetweb with WebSockets, as Debian builds it, but
# without TLS and CGI, which the page does not use, and waiting on its
# sockets with the system's WSAPoll. (Its own stand-in for poll() on Windows
# hands each socket to select() in two or three sets at once; Wine 8's
# wineserver then dies on an assertion, "server/sock.c: complete_async_poll:
# Assertion `output->count == signaled_count' failed", when a connection
# closes while it is polled, taking every socket of the process with it.)
CIVETWEB_RECIPE="civetweb.dll -DUSE_WEBSOCKET -DNO_SSL -DNO_CGI -DHAVE_POLL=WSAPoll -lws2_32"
build_civetweb() {
  built civetweb "$CIVETWEB_RECIPE" && return
  echo "win32-deps: building civetweb for $target" >&2
  local dir
  dir="$(debian_source civetweb)"
  # -w: its own warnings about Windows' 32-bit integer types are not ours to mend.
  build_c_dll civetweb "$dir" -w -I"$dir/include" -DUSE_WEBSOCKET -DNO_SSL -DNO_CGI \
    -D_WIN32_WINNT=0x0600 -DHAVE_POLL "-Dpoll(fds,count,ms)=WSAPoll(fds,count,ms)" -- src/civetweb.c -- -lws2_32
  mkdir -p "$prefix/include"
  cp "$dir/include/civetweb.h" "$prefix/include/"
  mark_built civetweb "$CIVETWEB_RECIPE"
}

# nlohmann-json is headers only: Debian's own package (nlohmann-json3-dev),
# with its CMake package, is put where the toolchain looks.
NLOHMANN_RECIPE="headers and CMake package of nlohmann-json3-dev $(dpkg-query -W -f='${Version}' nlohmann-json3-dev 2>/dev/null)"
install_nlohmann_json() {
  built nlohmann-json "$NLOHMANN_RECIPE" && return
  mkdir -p "$prefix/include" "$prefix/share/cmake"
  rm -rf "$prefix/include/nlohmann" "$prefix/share/cmake/nlohmann_json"
  cp -r /usr/include/nlohmann "$prefix/include/"
  cp -r /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
  mark_built nlohmann-json "$NLOHMANN_RECIPE"
}

# The Wine prefix the test programs run in, made once: its first start takes
# a while, and test programs started side by side by the build would race
# to make it.
make_wine_prefix() {
  [ -d "$deps/wine/drive_c" ] && return
  echo "win32-deps: making the Wine prefix" >&2
  KVQ_WIN32_DEPS="$deps" "$here/cmake/wine-run.sh" cmd.exe /c exit </dev/null >/dev/null 2>&1
}

build_lua
build_googletest
build_civetweb
install_nlohmann_json
make_wine_prefix
