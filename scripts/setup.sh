#!/usr/bin/env bash
# Installs what the build needs from Debian's packages. Idempotent and quiet
# when everything is there. Run as root (or with sudo available).
set -euo pipefail

packages=(cmake ninja-build g++ make pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
          liblua5.1-0-dev lua5.1 libcairo2-dev fonts-liberation2
          # kvqsim --serve: HTTP and WebSocket, JSON; its browser test
          libcivetweb-dev nlohmann-json3-dev chromium chromium-driver python3-selenium)

# --i386 also installs the 32-bit toolchain and libraries for the i386 preset.
if [ "${1:-}" = "--i386" ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    SUDO=""; if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -qq >/dev/null
  fi
  packages+=(g++-multilib liblua5.1-0-dev:i386 libgtest-dev:i386 libbenchmark-dev:i386 libcairo2-dev:i386 libcivetweb-dev:i386)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq >/dev/null
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
