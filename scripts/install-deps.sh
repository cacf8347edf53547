#!/usr/bin/env bash
# Installs the Debian packages Vexmoor needs to build, run, test and benchmark.
# Idempotent: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libirrlicht-dev libopenal-dev libopenal1 libvorbis-dev libogg-dev
  libgtest-dev libbenchmark-dev
  libfreetype-dev libpng-dev fonts-dejavu-core
  xvfb xdotool x11-utils imagemagick libgl1-mesa-dri mesa-utils
  libx11-dev appstream desktop-file-utils
  valgrind
  libinih-dev libsdl2-dev libenet-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
