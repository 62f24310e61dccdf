#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need.
# Does nothing when they are all present, so every entry point can call it first.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config git
  libsdl2-dev libepoxy-dev libgl1-mesa-dri libegl1 libgl1
  libfreetype-dev nlohmann-json3-dev libimgui-dev libstb-dev zlib1g-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libassimp-dev libsdl2-mixer-dev
  fonts-liberation xvfb xauth xdotool x11-utils imagemagick
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
