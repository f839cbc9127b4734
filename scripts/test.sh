#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets the machine up, checks the formatting, builds into ./build (or $BUILD_DIR) and runs
# every test headlessly.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh play test
scripts/format.sh
# The ranking server is built and tested here always, so that a missing library fails loudly.
scripts/build.sh -DZORVAT_BUILD_SERVER=ON
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j"$(nproc)"
