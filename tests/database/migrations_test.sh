#!/usr/bin/env bash
# Preprocesses the example migrations with wqnprep --strict, loads them into a real database and
# checks every stored value: a value a script wrote as a token must be the token's value in
# wqnprep --list.
#     migrations_test.sh postgresql|sqlite WQNPREP MIGRATIONS_FOLDER
# PostgreSQL runs as a throwaway server (pg_server.sh); SQLite needs no server.
set -euo pipefail
backend=$1
wqnprep=$2
migrations=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"

# Which token went into which row. Each line is TABLE | ROW | COLUMN | VALUE: the query
# `SELECT COLUMN FROM TABLE WHERE ROW` must give exactly one line, VALUE, in which {TOKEN} stands
# for the token's value in wqnprep --list. Columns named *_uuid are compared ignoring case.
#
# After the portable files (every database):
portable_rows=$(cat <<'ROWS'
scope           | name = 'global'                | object_type_id  | {WQNDBObjTypeID::objGlobalScope}
scope           | name = 'global'                | scope_guid      | {WQNGlobalScopeGUID}
scope           | name = 'global'                | scope_uuid      | {WQNGlobalScopeGUID}
scope           | name = 'lab-rack'              | object_type_id  | {WQNDBObjTypeID::objInfrastructureUnit}
scope           | name = 'lab-rack'              | scope_guid      | 5A0F2B7E-3C41-4D8B-9E62-1F7A0C3D9B24
scope           | name = 'lab-rack'              | scope_uuid      | 5A0F2B7E-3C41-4D8B-9E62-1F7A0C3D9B24
role_operation  | grant_id = 1                   | operation_id    | {WQNOperationID::OPID_LICENSE_GENERALREAD}
role_operation  | grant_id = 2                   | operation_id    | {WQNOperationID::OPID_SESSIONS_GENERALREAD}
role_operation  | grant_id = 3                   | operation_id    | {WQNOperationID::OPID_POLICY_READ}
role_operation  | grant_id = 4                   | operation_id    | {WQNOperationID::OPID_ENVIRONMENT_INTERACTION_START}
role_operation  | grant_id = 5                   | operation_id    | {WQNOperationID::OPID_ENVIRONMENT_INTERACTION_STOP}
role_operation  | grant_id = 6                   | operation_id    | {WQNOperationID::OPID_ENVIRONMENT_INTERACTION_MIGRATEP2V}
role_operation  | grant_id = 7                   | operation_id    | {WQNOperationID::OPID_ENVIRONMENT_BACKUP_RESTORE_ENV}
role_operation  | grant_id = 8                   | operation_id    | {WQNOperationID::OPID_WQAGENT_LOGON_CC}
role_operation  | grant_id = 9                   | count(*)        | 0
role_operation  | scope_guid = '{WQNGlobalScopeGUID}' | count(*)   | 8
environment     | env_name = 'hn-01'             | object_type_id  | {WQNDBObjTypeID::objHardwareNode}
environment     | env_name = 'hn-01'             | status_id       | {WQNEnvStatusID::ENV_STAT_REPAIRING}
environment     | env_name = 'hn-01'             | note            | registered as {WQNDBObjTypeID::objHardwareNode}
environment     | env_name = 'web-01'            | object_type_id  | {WQNDBObjTypeID::objKalindroContainer}
environment     | env_name = 'web-01'            | status_id       | {WQNEnvStatusID::ENV_STAT_MOUNTED}
environment     | env_name = 'web-01'            | note            | was {WQNEnvStatusID::ENV_STAT_MOUNTED} at import
environment     | env_name = 'db-01'             | object_type_id  | {WQNDBObjTypeID::objVMWareContainer}
environment     | env_name = 'db-01'             | status_id       | {WQNEnvStatusID::ENV_STAT_DOWN}
environment     | env_name = 'db-01'             | note            | {WQNEnvStatusID::ENV_STAT_SUSPENDED}->{WQNEnvStatusID::ENV_STAT_DOWN}
environment     | env_name = 'mn-01'             | object_type_id  | {WQNDBObjTypeID::objManagementNode}
environment     | env_name = 'mn-01'             | status_id       | {WQNEnvStatusID::ENV_STAT_NOT_LICENSED}
environment     | env_name = 'mn-01'             | note            | it's the management node
environment     | env_name = 'ct-new'            | object_type_id  | {WQNDBObjTypeID::objBrevantoContainer}
environment     | env_name = 'ct-new'            | status_id       | {WQNEnvStatusID::ENV_STAT_UNKNOWN}
environment     | env_name = 'ct-new'            | note            | status:{WQNEnvStatusID::ENV_STAT_UNKNOWN};
network_setting | setting_id = 1                 | setting_type    | {NetworkSettingType::nstNameServer}
network_setting | setting_id = 1                 | server_type     | {ServerType::stDns}
network_setting | setting_id = 2                 | setting_type    | {NetworkSettingType::nstWinsServer}
network_setting | setting_id = 2                 | server_type     | {ServerType::stWins}
network_setting | setting_id = 3                 | setting_type    | {NetworkSettingType::nstSearchDomain}
network_setting | setting_id = 4                 | setting_type    | {NetworkSettingType::nstHardWareNodeID}
network_setting | server_type IS NULL            | count(*)        | 2
placement_rule  | rule_name = 'everything-licensed' | applies_to   | {WQNRuleID::applicableForAll}
placement_rule  | rule_name = 'everything-licensed' | object_type_id | {WQNDBObjTypeID::objOrganizationalUnit}
placement_rule  | rule_name = 'everything-licensed' | required_status | {WQNEnvStatusID::ENV_STAT_RUNNING}
placement_rule  | rule_name = 'everything-licensed' | description  | Applies to {WQNRuleID::applicableForAll} objects
placement_rule  | rule_name = 'containers-up'    | applies_to      | {WQNRuleID::applicableForVEs}
placement_rule  | rule_name = 'containers-up'    | object_type_id  | {WQNDBObjTypeID::objIPPool}
placement_rule  | rule_name = 'containers-up'    | required_status | {WQNEnvStatusID::ENV_STAT_RUNNING}
placement_rule  | rule_name = 'containers-up'    | description     | containers ({WQNRuleID::applicableForVEs}) need an address from the pool
placement_rule  | rule_name = 'nodes-present'    | applies_to      | {WQNRuleID::applicableForHNs}
placement_rule  | rule_name = 'nodes-present'    | object_type_id  | {WQNDBObjTypeID::objHardwareNode}
placement_rule  | rule_name = 'nodes-present'    | required_status | {WQNEnvStatusID::ENV_STAT_UNEXIST}
placement_rule  | rule_name = 'nodes-present'    | description     | nodes: never {WQNEnvStatusID::ENV_STAT_UNEXIST}
object_type     | 1 = 1                          | count(*)        | 11
operation       | 1 = 1                          | count(*)        | 14
scope           | 1 = 1                          | count(*)        | 2
role_operation  | 1 = 1                          | count(*)        | 8
environment     | 1 = 1                          | count(*)        | 5
network_setting | 1 = 1                          | count(*)        | 4
placement_rule  | 1 = 1                          | count(*)        | 3
ROWS
)

# After the PostgreSQL-only files as well:
postgresql_rows=$(cat <<'ROWS'
scope           | name = 'global'                | pg_typeof(scope_uuid) | uuid
scope           | scope_guid::uuid = scope_uuid  | count(*)        | 2
role_operation  | grant_id = 10                  | operation_id    | {WQNOperationID::OPID_POLICY_WRITE}
role_operation  | grant_id = 10                  | scope_guid      | {WQNGlobalScopeGUID}
role_operation  | 1 = 1                          | count(*)        | 9
global_grant    | role_name = 'policy-admin'     | operation_id    | {WQNOperationID::OPID_POLICY_WRITE}
global_grant    | role_name = 'policy-admin'     | scope_uuid      | {WQNGlobalScopeGUID}
global_grant    | 1 = 1                          | count(*)        | 9
environment     | env_name = 'mn-01'             | status_id       | {WQNEnvStatusID::ENV_STAT_RUNNING}
environment     | env_name <> 'mn-01' AND status_id = {WQNEnvStatusID::ENV_STAT_RUNNING} | count(*) | 0
pg_attribute    | attrelid = 'environment'::regclass AND attname = 'status_id' | col_description(attrelid, attnum) | WQNEnvStatusID; {WQNEnvStatusID::ENV_STAT_UNKNOWN} until the node reports
ROWS
)

# Lookup tables keep the enumerator's bare name beside its number: TABLE | NUMBER | NAME | TYPE.
lookup_tables=$(cat <<'ROWS'
object_type     | object_type_id | code | WQNDBObjTypeID
operation       | operation_id   | code | WQNOperationID
ROWS
)

declare -A value
read_symbol_values "$wqnprep"

# TEXT with each {TOKEN} replaced by the token's value.
expand() {
  local text=$1 out= token
  while [[ $text =~ ^([^{]*)\{([^}]*)\}(.*)$ ]]; do
    token=${BASH_REMATCH[2]}
    [[ -v value[$token] ]] || fail "the test names '$token', which wqnprep --list does not have"
    out+=${BASH_REMATCH[1]}${value[$token]}
    text=${BASH_REMATCH[3]}
  done
  printf '%s' "$out$text"
}

# The tokens a table of rows names, one a line.
tokens_in() {
  grep -o '{[^}]*}' <<<"$1" | tr -d '{}' | sort -u
}

case $backend in
  postgresql)
    . "$here/pg_server.sh"
    pg_start
    work=$PG_SCRATCH
    load() { pg_sql --single-transaction -f "$1"; }
    query() { pg_value "$1"; }
    ;;
  sqlite)
    command -v sqlite3 >/dev/null || fail "sqlite3 not found; scripts/bootstrap.sh --tests installs it"
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    sqlite() { sqlite3 -batch -bail -cmd 'PRAGMA foreign_keys = ON' "$work/migrations.db" "$@"; }
    load() { { echo 'BEGIN;'; cat "$1"; echo 'COMMIT;'; } | sqlite; }
    query() { sqlite "$1"; }
    ;;
  *) fail "unknown database '$backend'" ;;
esac

portable=$(migration_files portable "$migrations")
postgresql=$(migration_files postgresql "$migrations")

# The expectations must test the tokens: each names a token the scripts use, and together the
# portable ones cover every type and the global scope placeholder.
sources=$(cat $portable)
for token in $(tokens_in "$portable_rows"); do
  grep -qF -- "$token" <<<"$sources" || fail "'$token' is expected but no portable migration uses it"
done
sources=$(cat $postgresql)
for token in $(tokens_in "$postgresql_rows"); do
  [ -z "$postgresql" ] || grep -qF -- "$token" <<<"$sources" || fail "'$token' is expected but no PostgreSQL migration uses it"
done
expected_tokens=$(tokens_in "$portable_rows")
for kind in $(printf '%s\n' "${!value[@]}" | sed 's/::.*//' | sort -u); do
  grep -q -e "^$kind::" -e "^$kind\$" <<<"$expected_tokens" || fail "no expected row comes from a $kind token"
done
kinds=$(printf '%s\n' "${!value[@]}" | grep -o '^[A-Za-z0-9]*::' | sort -u | paste -sd'|')

failures=0
check() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Preprocesses and loads FILES, one by one, each in one transaction.
migrate() {
  local file out
  for file in "$@"; do
    out=$work/$(basename "$file")
    "$wqnprep" --strict "$file" "$out" || fail "wqnprep --strict failed on '$file'"
    if grep -nE "(^|[^A-Za-z0-9])(${kinds%|}|WQNGlobalScopeGUID([^A-Za-z0-9]|\$))" "$out"; then
      fail "tokens are left in the preprocessed '$file'"
    fi
    load "$out" || fail "'$file' did not load after preprocessing"
  done
}

check_rows() {
  local table row column expected sql actual
  while IFS='|' read -r table row column expected; do
    table=$(trim "$table") row=$(expand "$(trim "$row")") column=$(trim "$column")
    expected=$(expand "$(trim "$expected")")
    sql="SELECT $column FROM $table WHERE $row"
    actual=$(query "$sql") || { check "query failed: $sql"; continue; }
    if [ "$(printf '%s\n' "$actual" | wc -l)" -ne 1 ]; then
      check "$sql: gave $(printf '%s\n' "$actual" | wc -l) rows, expected one"
    elif [[ $column == *_uuid ]] && [ "${actual,,}" = "${expected,,}" ]; then
      :
    elif [ "$actual" != "$expected" ]; then
      check "$sql: '$actual', expected '$expected'"
    fi
  done <<<"$1"
}

check_lookup_tables() {
  local table number name kind line code stored
  while IFS='|' read -r table number name kind; do
    table=$(trim "$table") number=$(trim "$number") name=$(trim "$name") kind=$(trim "$kind")
    while IFS='|' read -r code stored; do
      [ "${value[$kind::$code]-}" = "$stored" ] ||
        check "$table: '$code' is stored as '$stored', but $kind::$code is '${value[$kind::$code]-(unknown)}'"
    done < <(query "SELECT $name || '|' || $number FROM $table")
  done <<<"$lookup_tables"
}

migrate $portable
check_rows "$portable_rows"
check_lookup_tables
if [ "$backend" = postgresql ]; then
  [ -n "$postgresql" ] || fail "no PostgreSQL-only migrations in '$migrations'"
  migrate $postgresql
  check_rows "$postgresql_rows"
fi

((failures == 0)) || fail "$failures stored values differ from wqnprep --list"
loaded=$portable
[ "$backend" != postgresql ] || loaded+=" $postgresql"
echo "$backend: $(wc -w <<<"$loaded") migrations loaded; stored values match wqnprep --list"
