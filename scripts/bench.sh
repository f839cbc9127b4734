#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and runs every benchmark headlessly; each prints a small table. Then the music's
# cost while it really plays, beside the synthesizer's own command-line player.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh bench
BUILD_TYPE=Release BUILD_DIR=build-bench scripts/build.sh -DZORVAT_BUILD_TESTS=OFF
export QT_QPA_PLATFORM=offscreen
for b in build-bench/bench/*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
echo "== music while it plays (bench/music_cpu.sh)"
bench/music_cpu.sh build-bench/bin
