#!/usr/bin/env bash
# Sets the machine up, builds, and starts the game from its build folder, where its
# tunes and help page lie.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
cd build/bin
exec ./zorvat
