#!/usr/bin/env bash
# The throwaway server is private and goes away however the script that started it ends: each
# case runs a command against `pg_server.sh run` (or a script that sources it) and then checks
# that the server process and its folder are gone.
#     pg_server_test.sh
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"
. "$here/pg_server.sh"   # for pg_running

seen=$(mktemp -d)
trap 'rm -rf "$seen"' EXIT

# Run against the server: notes where it was and checks how it listens, then ends as $1 says.
probe=$(cat <<'PROBE'
set -e
printf '%s\n' "$PGHOST" >"$SEEN/folder"
head -n 1 "$PGHOST/data/postmaster.pid" >"$SEEN/pid"
psql -X -A -t -c 'SHOW listen_addresses' >"$SEEN/listen"
[ -S "$PGHOST/.s.PGSQL.5432" ] && echo yes >"$SEEN/socket"
stat -c %u "/proc/$(cat "$SEEN/pid")" >"$SEEN/uid"
case $1 in
  succeeds) exit 0 ;;
  fails) exit 3 ;;
  terminated) kill -TERM "$PPID" ;;
  interrupted) kill -INT "$PPID" ;;
esac
PROBE
)

# A script that uses the harness as a library and stops at a failing command under set -e.
library_user=$(cat <<LIBRARY
set -euo pipefail
. "$here/pg_server.sh"
pg_start
bash -c "\$1" probe succeeds
[ "\$(pg_value 'SELECT 40 + 2')" = 42 ]
false
LIBRARY
)

# how it ends | the command | its exit status
# (A successful run ends through the same EXIT trap as a failed one.)
cases=(
  "fails       | run  | 3"
  "terminated  | run  | 143"
  "interrupted | run  | 130"
  "set -e      | lib  | 1"
)

expected_uid=$(id -u)
[ "$expected_uid" -ne 0 ] || expected_uid=65534
failures=0
for case in "${cases[@]}"; do
  IFS='|' read -r ending mode status <<<"$case"
  ending=$(trim "$ending") mode=$(trim "$mode") status=$(trim "$status")
  rm -f "$seen"/*
  actual=0
  if [ "$mode" = run ]; then
    SEEN=$seen "$here/pg_server.sh" run bash -c "$probe" probe "$ending" || actual=$?
  else
    SEEN=$seen bash -c "$library_user" library "$probe" || actual=$?
  fi
  problems=()
  [ "$actual" = "$status" ] || problems+=("exit status $actual, expected $status")
  if [ -s "$seen/pid" ]; then
    [ "$(cat "$seen/listen")" = "" ] || problems+=("listens on '$(cat "$seen/listen")'")
    [ "$(cat "$seen/socket" 2>/dev/null)" = yes ] || problems+=("no socket in its folder")
    [ "$(cat "$seen/uid")" = "$expected_uid" ] || problems+=("server ran as uid $(cat "$seen/uid"), expected $expected_uid")
    ! pg_running "$(cat "$seen/pid")" || problems+=("server $(cat "$seen/pid") still runs")
    [ ! -e "$(cat "$seen/folder")" ] || problems+=("'$(cat "$seen/folder")' still exists")
  else
    problems+=("the command did not reach the server")
  fi
  if ((${#problems[@]} > 0)); then
    printf 'FAIL: when the command %s: %s\n' "$ending" "${problems[@]}" >&2
    failures=$((failures + 1))
  fi
done
((failures == 0)) || fail "$failures of ${#cases[@]} endings left the server behind or misbehaved"
echo "the server listens on its socket only and is gone after each of ${#cases[@]} endings"
