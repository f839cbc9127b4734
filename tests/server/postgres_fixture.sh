#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A private PostgreSQL server for the store and server tests, in a temporary folder, listening only
# on a Unix socket there. Run as root, the server runs as the unprivileged "postgres" user (or
# "nobody"), since PostgreSQL refuses to run as root.
#
#   postgres_fixture.sh start CONNINFO_FILE    starts it and writes its connection string to the file
#   postgres_fixture.sh stop CONNINFO_FILE     stops it and removes its folder
set -euo pipefail

action="${1:-}"
conninfo_file="${2:-}"
[ -n "$conninfo_file" ] || { echo "usage: $0 start|stop CONNINFO_FILE" >&2; exit 2; }

bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
[ -x "$bin/initdb" ] || { echo "PostgreSQL server programs not found (scripts/setup.sh test)" >&2; exit 1; }

as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  owner=postgres
  id "$owner" >/dev/null 2>&1 || owner=nobody
  as_owner=(runuser -u "$owner" --)
fi

stop() {
  [ -f "$conninfo_file" ] || return 0
  folder="$(sed -n 's/^host=\([^ ]*\).*/\1/p' "$conninfo_file")"
  if [ -n "$folder" ] && [ -d "$folder/data" ]; then
    "${as_owner[@]}" "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
    rm -rf "$folder"
  fi
  rm -f "$conninfo_file"
}

case "$action" in
  start)
    stop # a folder left by an interrupted run
    folder="$(mktemp -d /tmp/zorvat-pg.XXXXXX)"
    chmod 755 "$folder"
    [ ${#as_owner[@]} -eq 0 ] || chown "$owner" "$folder"
    "${as_owner[@]}" "$bin/initdb" -D "$folder/data" -U zorvat -A trust --no-sync -E UTF8 --locale=C.UTF-8 \
      >"$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log" >&2; rm -rf "$folder"; exit 1; }
    # Test data need not survive a crash of the machine: no flushing to disk, unless
    # POSTGRES_FIXTURE_DURABLE=1 (benchmarks, which must pay what a real server pays).
    options="-k $folder -c listen_addresses=''"
    [ "${POSTGRES_FIXTURE_DURABLE:-0}" = 1 ] || options+=" -c fsync=off -c synchronous_commit=off -c full_page_writes=off"
    "${as_owner[@]}" "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 -o "$options" \
      start >/dev/null || { cat "$folder/server.log" >&2; rm -rf "$folder"; exit 1; }
    echo "host=$folder user=zorvat dbname=postgres" >"$conninfo_file"
    ;;
  stop)
    stop
    ;;
  *)
    echo "usage: $0 start|stop CONNINFO_FILE" >&2
    exit 2
    ;;
esac
