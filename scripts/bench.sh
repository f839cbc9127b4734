#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and runs every benchmark headlessly; each prints a small table.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh bench
BUILD_TYPE=Release BUILD_DIR=build-bench scripts/build.sh -DBUILD_TESTING=OFF
export QT_QPA_PLATFORM=offscreen
for b in build-bench/bench/*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
