# Sourced by test.sh and bench.sh: start_throwaway_server starts a PostgreSQL server of its own
# in a temporary folder (Unix socket only, Turkish ICU collation, role meltora_test) and sets
# MELTORA_TEST_SERVER to its connection string; it is stopped and removed when the shell
# exits, also when a command fails.

start_throwaway_server() {
  local pg_bin
  pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
  throwaway_server=$(mktemp -d /tmp/meltora-pg.XXXXXX)
  throwaway_as_owner=()
  throwaway_pg_bin=$pg_bin
  if [ "$(id -u)" -eq 0 ]; then
    # The server refuses to run as root: it runs as the postgres user.
    chown postgres "$throwaway_server"
    throwaway_as_owner=(runuser -u postgres --)
  fi
  trap stop_throwaway_server EXIT
  "${throwaway_as_owner[@]}" "$pg_bin/initdb" -D "$throwaway_server/data" -U meltora_test -A trust -E UTF8 \
    --locale=C.UTF-8 --locale-provider=icu --icu-locale=tr-TR >"$throwaway_server/initdb.log" 2>&1 ||
    { cat "$throwaway_server/initdb.log"; exit 1; }
  "${throwaway_as_owner[@]}" "$pg_bin/pg_ctl" -D "$throwaway_server/data" -l "$throwaway_server/server.log" -w \
    -o "-k $throwaway_server -c listen_addresses= -c fsync=off -c max_connections=200" start >/dev/null
  export MELTORA_TEST_SERVER="host=$throwaway_server user=meltora_test dbname=postgres"
}

stop_throwaway_server() {
  "${throwaway_as_owner[@]}" "$throwaway_pg_bin/pg_ctl" -D "$throwaway_server/data" -m immediate stop \
    >/dev/null 2>&1 || true
  rm -rf "$throwaway_server"
}
