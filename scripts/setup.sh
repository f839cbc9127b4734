#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages a job needs, by group; packages already present are skipped.
# Runs as root (or through sudo).
#
#   scripts/setup.sh [play] [test] [fuzz] [bench] [server]     (default: play)
#
#   play   building and playing the game
#   test   + running every test headlessly (X server with a window manager, validators,
#          formatter, a sound server, the ranking server's libraries, a PostgreSQL server, a
#          headless browser, a web server with TLS in front of the ranking, the accessibility bus
#          a screen reader reads and a headless Wayland compositor)
#   fuzz   clang's libFuzzer and sanitizer run-time (the fuzzers need no Qt)
#   bench  + what the benchmarks measure with (X server, sound server, the synthesizer's own player,
#          the ranking server's libraries and PostgreSQL)
#   server building and running the ranking server zorvat-rank on a host
set -euo pipefail

base=(
  build-essential cmake ninja-build pkg-config
)
play=(
  qt6-base-dev libgl-dev
  qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools
  libfluidsynth-dev timgm6mb-soundfont
  fonts-ipafont-gothic
)
server=(
  libboost-dev libsqlite3-dev libpqxx-dev
)
test=(
  xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick openbox
  clang-format desktop-file-utils appstream pulseaudio
  "${server[@]}" postgresql chromium chromium-driver nginx openssl
  dbus at-spi2-core python3-pyatspi
  weston qt6-wayland
)
fuzz=(
  clang libclang-rt-14-dev
)
bench=(
  xvfb xauth xdotool
  pulseaudio fluidsynth
  "${server[@]}" postgresql
)

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(play)
wanted=("${base[@]}")
for g in "${groups[@]}"; do
  case "$g" in
    play | test | fuzz | bench | server) ;;
    *) echo "usage: $0 [play] [test] [fuzz] [bench] [server]" >&2; exit 2 ;;
  esac
  declare -n list="$g"
  wanted+=("${list[@]}")
  unset -n list
  [ "$g" = fuzz ] || wanted+=("${play[@]}")
done

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
# One name per package, whichever groups asked for it.
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
