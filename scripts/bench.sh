#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and runs every benchmark headlessly; each prints a small table. Then the music's
# cost while it really plays, beside the synthesizer's own command-line player.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh bench
BUILD_TYPE=Release BUILD_DIR=build-bench scripts/build.sh -DBUILD_TESTING=OFF -DZORVAT_BUILD_SERVER=ON
export QT_QPA_PLATFORM=offscreen
# The ranking server's benchmark also measures PostgreSQL, on a private server that flushes its
# log as a real one does, stopped again however the run ends.
pg_conninfo="$PWD/build-bench/postgres.conninfo"
POSTGRES_FIXTURE_DURABLE=1 tests/server/postgres_fixture.sh start "$pg_conninfo"
trap 'tests/server/postgres_fixture.sh stop "$pg_conninfo"' EXIT
ZORVAT_BENCH_POSTGRES="$(cat "$pg_conninfo")"
export ZORVAT_BENCH_POSTGRES
for b in build-bench/bench/*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
echo "== music while it plays (bench/music_cpu.sh)"
bench/music_cpu.sh build-bench/bin
