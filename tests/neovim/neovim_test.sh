#!/usr/bin/env bash
# The language server in Neovim (attach.lua): completion, hover, the diagnostic of a typo and
# its quick fix, and the buffer written with the fix. Usage: neovim_test.sh WQNPREP
set -euo pipefail
wqnprep=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%s\n' 'INSERT INTO grants VALUES (WQNRuleID::applicableForAl);' \
  'SELECT WQNRuleID::' 'SELECT WQNOperationID::OPID_LICENSE_GENERALREAD;' > "$work/grants.sql"
status=0
WQNPREP=$wqnprep INPUT=$work/grants.sql RESULTS=$work/results HOME=$work XDG_STATE_HOME=$work \
  timeout 60 nvim --headless --clean -c "luafile $here/attach.lua" </dev/null >/dev/null 2>&1 ||
  status=$?
cat "$work/results" 2>/dev/null || true
[ "$status" -eq 0 ] || { echo "nvim failed with status $status"; exit 1; }

diff -u - "$work/results" <<'EXPECTED'
diagnostic 1:28-54 unknown-enumerator unknown enumerator 'applicableForAl' of 'WQNRuleID'; did you mean 'applicableForAll'?
completion applicableForAll — 0
completion applicableForVEs — 1
completion applicableForHNs — 2
hover `WQNOperationID::OPID_LICENSE_GENERALREAD` becomes `1`  type `WQNOperationID`, row `OPID_LICENSE_GENERALREAD`
action Change to 'applicableForAll'
EXPECTED
diff -u - "$work/grants.sql" <<'EXPECTED'
INSERT INTO grants VALUES (WQNRuleID::applicableForAll);
SELECT WQNRuleID::
SELECT WQNOperationID::OPID_LICENSE_GENERALREAD;
EXPECTED
echo "Neovim: completion, hover, diagnostic and quick fix as expected"
