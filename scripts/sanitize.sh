#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer in ./build-sanitize
# and runs them headlessly. Any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh play test
BUILD_DIR=build-sanitize BUILD_TYPE=Debug scripts/build.sh -DZORVAT_SANITIZE=ON -DZORVAT_BUILD_BENCH=OFF
export QT_QPA_PLATFORM=offscreen
# Leak checking stays off: the font and desktop libraries keep caches for the life of
# the process, which would drown any leak of ours.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)" -E 'end_to_end'
