#!/usr/bin/env bash
# A throwaway PostgreSQL server for tests: a fresh cluster in a temporary folder, reachable only
# through a Unix socket in that folder (no TCP), stopped and removed when the script that started
# it exits, however it exits.
#
# As a library, from a bash script:
#     . tests/database/pg_server.sh
#     pg_start              # exports PGHOST, PGUSER, PGDATABASE...; clean-up on EXIT, INT, TERM, HUP
#     pg_sql -f x.sql       # psql -X -q -v ON_ERROR_STOP=1 against the server
#     pg_value 'SELECT 1'   # the result of one query, unaligned, no headers
#     pg_stop               # also done on exit; safe to call twice
# pg_start takes over the EXIT, INT, TERM and HUP traps; put your own files in $PG_SCRATCH, which
# goes with the server.
#
# As a command, to run anything against a fresh server (psql on PATH is the server's own):
#     tests/database/pg_server.sh run COMMAND [ARG...]
#
# The server programs come from $PG_BINDIR, else the newest /usr/lib/postgresql/*/bin, else PATH.
# The server refuses to run as root, so under root the cluster belongs to nobody (65534).

pg_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The folder holding initdb, pg_ctl and psql of one PostgreSQL version.
pg_find_bindir() {
  local dir
  if [ -n "${PG_BINDIR:-}" ]; then
    printf '%s\n' "$PG_BINDIR"
    return
  fi
  for dir in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
    if [ -x "$dir/initdb" ]; then
      printf '%s\n' "$dir"
      return
    fi
  done
  dir=$(command -v initdb 2>/dev/null) && dirname "$dir"
}

# Runs a server program as the cluster's owner, from the cluster's folder (the caller's working
# folder may be closed to that user).
pg_as_owner() {
  (
    cd "$PG_DIR" || exit 1
    if [ "$(id -u)" -eq 0 ]; then
      exec setpriv --reuid=65534 --regid=65534 --clear-groups -- "$@"
    fi
    exec "$@"
  )
}

pg_start() {
  local program
  PG_BINDIR=$(pg_find_bindir) || true
  for program in initdb pg_ctl psql; do
    [ -n "$PG_BINDIR" ] && [ -x "$PG_BINDIR/$program" ] ||
      pg_fail "PostgreSQL's $program not found (looked in \$PG_BINDIR, /usr/lib/postgresql/*/bin" \
              "and PATH); scripts/bootstrap.sh --tests installs postgresql-15"
  done
  if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || pg_fail "setpriv not found (util-linux); needed to run the server as nobody"
  fi

  PG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/wqnprep-pg.XXXXXX") || pg_fail "cannot create a temporary folder"
  trap pg_stop EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  # The socket is $PG_DIR/.s.PGSQL.5432; a Unix socket path has room for 107 bytes.
  [ ${#PG_DIR} -le 90 ] || pg_fail "temporary folder '$PG_DIR' is too long for a socket path; set TMPDIR"
  if [ "$(id -u)" -eq 0 ]; then
    chown 65534:65534 "$PG_DIR"
    pg_as_owner test -w "$PG_DIR" ||
      pg_fail "user nobody cannot reach '$PG_DIR'; set TMPDIR to a folder open to it"
  fi
  PG_SCRATCH=$PG_DIR/scratch
  mkdir "$PG_SCRATCH"

  pg_as_owner "$PG_BINDIR/initdb" -D "$PG_DIR/data" -U postgres -A trust -E UTF8 --locale=C \
    --no-sync >"$PG_DIR/initdb.log" 2>&1 ||
    { cat "$PG_DIR/initdb.log" >&2; pg_fail "initdb failed"; }
  # pg_ctl hands -o to a shell, hence the inner quotes. Durability is of no use to a throwaway server.
  pg_as_owner "$PG_BINDIR/pg_ctl" -D "$PG_DIR/data" -l "$PG_DIR/server.log" -w -s \
    -o "-c listen_addresses='' -c unix_socket_directories='$PG_DIR' -c fsync=off -c full_page_writes=off" \
    start || { cat "$PG_DIR/server.log" >&2; pg_fail "the server did not start"; }

  unset PGHOSTADDR PGSERVICE PGSERVICEFILE PGOPTIONS PGPASSWORD PGPASSFILE PGSSLMODE
  export PGHOST=$PG_DIR PGPORT=5432 PGUSER=postgres PGDATABASE=postgres PG_DIR PG_SCRATCH PG_BINDIR
}

# Whether process $1 exists and is not a zombie.
pg_running() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

pg_stop() {
  local pid tries=0
  [ -n "${PG_DIR:-}" ] || return 0
  if [ -f "$PG_DIR/data/postmaster.pid" ]; then
    pid=$(head -n 1 "$PG_DIR/data/postmaster.pid")
    pg_as_owner "$PG_BINDIR/pg_ctl" -D "$PG_DIR/data" -m immediate -w -s stop >/dev/null 2>&1 ||
      echo "warning: pg_ctl stop failed; see $PG_DIR/server.log" >&2
    # pg_ctl returns when the pid file is gone, a moment before the server has exited.
    while [ -n "$pid" ] && pg_running "$pid"; do
      tries=$((tries + 1))
      if ((tries == 100)); then
        echo "warning: server $pid outlived pg_ctl stop; killing it" >&2
        kill -KILL "$pid" 2>/dev/null || true
      fi
      ((tries < 200)) || break
      sleep 0.05
    done
  fi
  rm -rf "$PG_DIR"
  PG_DIR=
}

pg_sql() {
  "$PG_BINDIR/psql" -X -q -v ON_ERROR_STOP=1 "$@"
}

pg_value() {
  "$PG_BINDIR/psql" -X -q -v ON_ERROR_STOP=1 -A -t -c "$1"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  [ "${1:-}" = run ] && [ $# -ge 2 ] || { echo "use: $0 run COMMAND [ARG...]" >&2; exit 2; }
  shift
  pg_start
  PATH=$PG_BINDIR:$PATH
  status=0
  "$@" || status=$?
  exit "$status"
fi
