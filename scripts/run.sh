#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets the machine up, builds, and starts the game from its build folder ($BUILD_DIR, default
# build), where its tunes and help page lie.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh play
scripts/build.sh
cd "${BUILD_DIR:-build}/bin"
exec ./zorvat
