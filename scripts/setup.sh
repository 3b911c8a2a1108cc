#!/usr/bin/env bash
# Installs what the build needs from Debian's packages. Idempotent and quiet
# when everything is there. Run as root (or with sudo available).
#   --i386   also the 32-bit x86 toolchain and Debian's i386 libraries (preset i386)
#   --win32  also MinGW-w64 (i686, posix threads), Wine (32-bit), and Lua 5.1 and
#            GoogleTest built for MinGW from Debian's source packages (preset win32)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

i386=0
win32=0
for arg in "$@"; do
  case "$arg" in
    --i386) i386=1 ;;
    --win32) win32=1 ;;
    *) echo "setup: unknown option $arg (use --i386, --win32)" >&2; exit 2 ;;
  esac
done

packages=(cmake ninja-build g++ make pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
          liblua5.1-0-dev lua5.1 libcairo2-dev fonts-liberation2
          # textures (PNG, header-only stb_image); the script that draws the meshes and textures
          libstb-dev python3
          # kvqsim --serve: HTTP and WebSocket, JSON; its browser test
          libcivetweb-dev nlohmann-json3-dev chromium chromium-driver python3-selenium libjs-three)

# Both the 32-bit build and 32-bit Wine need Debian's i386 packages.
if [ $i386 -eq 1 ] || [ $win32 -eq 1 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -qq >/dev/null
  fi
fi
if [ $i386 -eq 1 ]; then
  packages+=(g++-multilib liblua5.1-0-dev:i386 libgtest-dev:i386 libbenchmark-dev:i386 libcairo2-dev:i386
             libcivetweb-dev:i386)
fi
if [ $win32 -eq 1 ]; then
  packages+=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32:i386
             dpkg-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  $SUDO apt-get update -qq >/dev/null
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ $win32 -eq 1 ]; then
  bash "$here/scripts/win32-deps.sh"
fi
