#!/usr/bin/env bash
# Runs a command beside a throwaway PostgreSQL cluster: made with Debian's initdb in a temporary
# folder, listening on a Unix socket there only, run as the postgres user (PostgreSQL refuses
# root), and stopped and removed when the command ends. The command finds the database's address
# in KELVADO_TEST_POSTGRES.
#   with_postgres.sh COMMAND [ARG...]
# KELVADO_PG_FSYNC=on keeps PostgreSQL's own syncing (the benchmarks); the tests go without.
set -euo pipefail
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/initdb" ] || { echo "with_postgres.sh: no PostgreSQL server (scripts/deps.sh --tests)" >&2; exit 1; }
dir=$(mktemp -d /tmp/kelvado-pg.XXXXXX)
chmod 755 "$dir"
chown postgres: "$dir"
as_postgres() { if [ "$(id -un)" = postgres ]; then "$@"; else runuser -u postgres -- "$@"; fi; }
stop() {
    as_postgres "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
}
trap stop EXIT
as_postgres "$bin/initdb" -D "$dir/data" -A trust -U postgres -E UTF8 --no-sync >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
as_postgres "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-k $dir -c listen_addresses='' -c fsync=${KELVADO_PG_FSYNC:-off} -c max_connections=200" \
    start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
export KELVADO_TEST_POSTGRES="postgresql:///postgres?host=$dir&user=postgres"
"$@"
