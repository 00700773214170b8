#!/usr/bin/env bash
# Installs the Debian packages the project needs, asking dpkg first so that a
# machine that has them all does no network work at all.
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config clang lld libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libx11-dev libfreetype-dev libpng-dev libpixman-1-dev
  libsodium-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  fonts-unifont fonts-arphic-uming
  xvfb xdotool x11-utils imagemagick
  iproute2
)
missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi
echo "installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
