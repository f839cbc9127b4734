#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the settings file, the game's one-replace save and the ranking server's form reading: builds the libFuzzer targets of tests/fuzz with clang and the
# address and undefined-behaviour sanitizers in their own build folder, replays the committed
# seed corpus, then runs each target for a bounded time.
#
#   scripts/fuzz.sh [seconds per target]      (default 60)
#
# The corpus that fuzzing grows and any crashing input stay in the build folder
# ($FUZZ_BUILD_DIR, default build-fuzz); a crash ends the script with a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh fuzz

seconds="${1:-60}"
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: $0 [seconds per target]" >&2; exit 2; }
build="${FUZZ_BUILD_DIR:-build-fuzz}"
compiler="${FUZZ_CXX:-clang++}"
command -v "$compiler" >/dev/null || compiler=clang++-14

cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"

# The settings target writes a file per input; memory-backed storage keeps that fast.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi

for target in fuzz_profile fuzz_game_save fuzz_int fuzz_form; do
  seeds="tests/fuzz/corpus/${target#fuzz_}"
  grown="$build/corpus/$target"
  artifacts="$build/artifacts/$target/"
  mkdir -p "$grown" "$artifacts"
  echo "== $target: replaying $(find "$seeds" -type f | wc -l) seeds"
  "$build/$target" -runs=0 -artifact_prefix="$artifacts" "$seeds"
  echo "== $target: fuzzing for $seconds s"
  "$build/$target" -max_total_time="$seconds" -max_len=2048 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts" "$grown" "$seeds"
done
echo "== fuzzing found nothing"
