#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zorvat need.
# Runs as root (or through sudo); packages already present are skipped.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libfluidsynth-dev timgm6mb-soundfont
  fonts-ipafont-gothic
  xvfb xauth xdotool x11-utils imagemagick
  clang libclang-rt-14-dev  # scripts/fuzz.sh: libFuzzer and the sanitizers' run-time
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
