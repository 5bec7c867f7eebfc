#!/usr/bin/env bash
# One misspelled enumerator must keep a whole script out of the database:
#   wqnprep --strict - - | psql -v ON_ERROR_STOP=1   leaves every table as it was, and
#   wqnprep --check FILE                             exits 1 without giving out the script.
# Each case starts from a fresh copy of a database that holds the example migrations; psql runs
# without --single-transaction, so any statement that reached it would stay.
#     fail_closed_test.sh WQNPREP MIGRATIONS_FOLDER
set -euo pipefail
wqnprep=$1
migrations=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"
. "$here/pg_server.sh"

# The next migration, correct. Its first statements succeed on their own, so a script that
# reached psql before wqnprep had read to the end would change the database.
next_migration=$(cat <<'SQL'
-- 006: maintenance windows, and who may request virtual servers.
CREATE TABLE maintenance_window (
    window_id     INTEGER PRIMARY KEY,
    env_name      VARCHAR(64) NOT NULL REFERENCES environment (env_name),
    status_during INTEGER NOT NULL,
    note          VARCHAR(200)
);
INSERT INTO maintenance_window VALUES
    (1, 'hn-01', WQNEnvStatusID::ENV_STAT_REPAIRING, 'hn-01 is WQNEnvStatusID::ENV_STAT_REPAIRING meanwhile');
UPDATE environment SET status_id = WQNEnvStatusID::ENV_STAT_DOWN WHERE env_name = 'web-01';
INSERT INTO operation (operation_id, code)
VALUES (WQNOperationID::OPID_VERTUAL_SERVER_REQUEST_CREATE, 'OPID_VERTUAL_SERVER_REQUEST_CREATE');
INSERT INTO role_operation (grant_id, role_name, operation_id, scope_guid)
VALUES (11, 'requester', WQNOperationID::OPID_VERTUAL_SERVER_REQUEST_CREATE, 'WQNGlobalScopeGUID');
INSERT INTO role_operation (grant_id, role_name, operation_id, scope_guid)
VALUES (12, 'requester', WQNOperationID::OPID_VERTUAL_SERVER_REQUEST_GET, 'WQNGlobalScopeGUID');
SQL
)

# where the typo is | a piece of the script | the piece's token, misspelled
cases=(
  "the last statement, which psql rejects | WQNOperationID::OPID_VERTUAL_SERVER_REQUEST_GET  | WQNOperationID::OPID_VIRTUAL_SERVER_REQUEST_GET"
  "a string, which psql takes as it is    | is WQNEnvStatusID::ENV_STAT_REPAIRING meanwhile  | WQNEnvStatusID::ENV_STAT_REPAIRNG"
  "the first INSERT, after a CREATE TABLE | 'hn-01', WQNEnvStatusID::ENV_STAT_REPAIRING       | WQNEnvStatusID::ENV_STAT_Repairing"
)

declare -A value
read_symbol_values "$wqnprep"

pg_start
work=$PG_SCRATCH

# The database every case starts from: the example migrations, loaded as users load them.
pg_sql -c 'CREATE DATABASE migrated'
for file in $(migration_files portable "$migrations") $(migration_files postgresql "$migrations"); do
  "$wqnprep" --strict "$file" "$work/migration.sql" || fail "wqnprep --strict failed on '$file'"
  PGDATABASE=migrated pg_sql --single-transaction -f "$work/migration.sql" ||
    fail "'$file' did not load"
done

# Every table of database $1 with its row count and a digest of its rows.
snapshot() {
  local table
  for table in $(PGDATABASE=$1 pg_value "SELECT table_name FROM information_schema.tables
                                          WHERE table_schema = 'public' ORDER BY table_name"); do
    printf '%s ' "$table"
    PGDATABASE=$1 pg_value "SELECT count(*) || ' ' || md5(coalesce(string_agg(t::text, E'\n' ORDER BY t::text), ''))
                              FROM $table t"
  done
}
before=$(snapshot migrated)
grep -q '^role_operation [1-9]' <<<"$before" || fail "the migrations left no grants to compare"

failures=0
check() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

number=0
for case in "${cases[@]}"; do
  IFS='|' read -r where piece typo <<<"$case"
  where=$(trim "$where") piece=$(trim "$piece") typo=$(trim "$typo")
  number=$((number + 1))
  [[ $piece =~ [A-Za-z]+::[A-Za-z0-9_]+ ]] || fail "case '$where': no token in '$piece'"
  token=${BASH_REMATCH[0]}
  [ "${token%%::*}" = "${typo%%::*}" ] && [[ -v value[$token] && ! -v value[$typo] ]] ||
    fail "case '$where': '$typo' must be a misspelling of '$token', which is a symbol"
  [[ $next_migration == *"$piece"* ]] || fail "case '$where': '$piece' is not in the script"
  script=${next_migration/"$piece"/"${piece/"$token"/"$typo"}"}
  misspelled=${typo#*::}
  printf '%s\n' "$script" >"$work/typo.sql"

  status=0
  "$wqnprep" --check "$work/typo.sql" >"$work/check.out" 2>"$work/check.err" || status=$?
  [ "$status" = 1 ] || check "typo in $where: wqnprep --check exited $status, expected 1"
  ! grep -q 'INSERT' "$work/check.out" || check "typo in $where: wqnprep --check wrote the script out"
  grep -qF "'$misspelled'" "$work/check.err" || check "typo in $where: --check did not name '$misspelled'"

  pg_sql -c "CREATE DATABASE typo_$number TEMPLATE migrated"
  set +e
  "$wqnprep" --strict - - <"$work/typo.sql" 2>"$work/strict.err" | PGDATABASE=typo_$number pg_sql 2>"$work/psql.err"
  statuses=("${PIPESTATUS[@]}")
  set -e
  [ "${statuses[0]}" = 1 ] || check "typo in $where: wqnprep --strict exited ${statuses[0]}, expected 1"
  after=$(snapshot "typo_$number")
  [ "$after" = "$before" ] ||
    check "typo in $where: the database changed:" $'\n'"$(diff <(echo "$before") <(echo "$after") || true)"
done

# The same script without a typo passes the check and changes the database, so an unchanged
# database above is the work of wqnprep.
printf '%s\n' "$next_migration" >"$work/correct.sql"
"$wqnprep" --check "$work/correct.sql" || check "wqnprep --check rejected the correct script"
pg_sql -c 'CREATE DATABASE correct TEMPLATE migrated'
"$wqnprep" --strict - - <"$work/correct.sql" | PGDATABASE=correct pg_sql ||
  check "the correct script did not load"
[ "$(snapshot correct)" != "$before" ] || check "the correct script left the database as it was"
[ "$(PGDATABASE=correct pg_value 'SELECT status_during FROM maintenance_window')" = \
  "${value[WQNEnvStatusID::ENV_STAT_REPAIRING]}" ] || check "the correct script stored a wrong status"

((failures == 0)) || fail "$failures checks failed"
echo "a script with one unknown enumerator changes nothing, in ${#cases[@]} places"
