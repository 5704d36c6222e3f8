#!/usr/bin/env bash
# Builds Meltora and runs every test, the windows under Qt's offscreen platform: once on the
# register in a file, and the tests labelled "server" once more on a throw-away PostgreSQL
# server that this script starts (Unix socket only, Turkish ICU collation) and stops again,
# also when a test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"

pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
server=$(mktemp -d /tmp/meltora-pg.XXXXXX)
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  # The server refuses to run as root: it runs as the postgres user.
  chown postgres "$server"
  as_owner=(runuser -u postgres --)
fi
stop_server() {
  "${as_owner[@]}" "$pg_bin/pg_ctl" -D "$server/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$server"
}
trap stop_server EXIT
"${as_owner[@]}" "$pg_bin/initdb" -D "$server/data" -U meltora_test -A trust -E UTF8 \
  --locale=C.UTF-8 --locale-provider=icu --icu-locale=tr-TR >"$server/initdb.log" 2>&1 ||
  { cat "$server/initdb.log"; exit 1; }
"${as_owner[@]}" "$pg_bin/pg_ctl" -D "$server/data" -l "$server/server.log" -w \
  -o "-k $server -c listen_addresses= -c fsync=off -c max_connections=200" start >/dev/null
export MELTORA_TEST_SERVER="host=$server user=meltora_test dbname=postgres"

cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 "$@"
