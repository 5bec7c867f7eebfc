#!/usr/bin/env bash
# The documents of --format=json and --format=sarif, through the program: whatever a run meets,
# standard error is exactly one document, which jq reads back field by field. SARIF documents
# must also pass the reference validator (Microsoft's SARIF multitool), installed from npm into
# CACHE_DIR the first time.
#   finding_documents_test.sh json|sarif WQNPREP CACHE_DIR
set -euo pipefail
[ $# -eq 3 ] || { echo "use: $0 json|sarif WQNPREP CACHE_DIR" >&2; exit 2; }
format=$1 wqnprep=$(realpath "$2")
mkdir -p "$3"
cache=$(cd "$3" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

printf '%s\n' '-- grants' 'UPDATE r SET rule = WQNRuleID::zzz;' \
  'INSERT INTO g VALUES (WQNOperationId::OPID_LICENSE_GENERALREAD);' >two.sql
printf 'SELECT 1;\n' >clean.sql
# A tab and a wide character before the finding: its column is 16 on display, 10 in bytes and
# 8 in characters.
printf '\t\xe6\x97\xa5 a = WQNRuleID::zzz;\n' >wide.sql
mkdir folder
version=$("$wqnprep" --version | head -n 1)
version=${version#wqnprep }

# LABEL STATUS ARGUMENTS JQ_PROGRAM EXPECTED: runs wqnprep --format=FORMAT ARGUMENTS, wants exit
# status STATUS, nothing on standard output, one document on standard error, and EXPECTED from
# jq -c JQ_PROGRAM on it. The document stays as LABEL.FORMAT.
row() {
  local label=$1 status=$2 arguments=$3 program=$4 expected=$5 actual=0
  # shellcheck disable=SC2086  # the arguments are words without blanks
  "$wqnprep" --format="$format" $arguments >"$label.out" 2>"$label.$format" || actual=$?
  [ "$actual" -eq "$status" ] || fail "$label: exit status $actual, not $status"
  [ ! -s "$label.out" ] || fail "$label: standard output is not empty"
  if [ "$(jq -s length "$label.$format" 2>&1)" != 1 ]; then
    fail "$label: standard error is not one document:"
    cat "$label.$format" >&2
    return
  fi
  diff -u --label expected --label actual <(printf '%s\n' "$expected") \
    <(jq -c "$program" "$label.$format") >&2 || fail "$label: other fields than expected"
}

missing="Error: cannot open input 'gone.sql': No such file or directory"
strict="Error: 2 findings in 'two.sql'; 'out.sql' was not written"
no_folder="Error: cannot use output folder 'none': No such file or directory"
folder_failed="Error: 1 of 2 inputs failed; nothing was written to 'folder'"

if [ "$format" = json ]; then
  row CheckFindingsAndAMissingFile 1 '--check two.sql gone.sql clean.sql' \
    '.columnUnit, (.findings[] | [.path, .line, .column, .kind, .severity, .message, .suggestion]),
     .errors' \
    "\"display\"
[\"two.sql\",2,21,\"unknown-enumerator\",\"error\",\"unknown enumerator 'zzz' of 'WQNRuleID'\",null]
[\"two.sql\",3,23,\"unknown-type\",\"error\",\"unknown type 'WQNOperationId'; did you mean 'WQNOperationID'?\",\"WQNOperationID\"]
[\"$missing\"]"
  row WarningsOfARunThatWrites 0 '--warn-unknown two.sql out.sql' '[.findings[].severity], .errors' \
    '["warning","warning"]
[]'
  row StrictRunThatWritesNothing 1 '--strict two.sql out.sql' '(.findings | length), .errors' \
    "2
[\"$strict\"]"
  row OneDocumentForAFolder 1 '--strict -d folder two.sql clean.sql' \
    '[.findings[].path], .errors' \
    "[\"two.sql\",\"two.sql\"]
[\"Error: 2 findings in 'two.sql'\",\"$folder_failed\"]"
  row ErrorBeforeAnyInput 1 '-d none two.sql' '.' \
    "{\"columnUnit\":\"display\",\"findings\":[],\"errors\":[\"$no_folder\"]}"
  row CleanCheck 0 '--check clean.sql' '.' '{"columnUnit":"display","findings":[],"errors":[]}'
  row ColumnsInBytes 1 '--check --column-unit=byte wide.sql' '.columnUnit, [.findings[].column]' \
    '"byte"
[10]'
else
  run='.runs[0]'
  notifications='[.invocations[0].toolExecutionNotifications[]?.message.text]'
  row CheckFindingsAndAMissingFile 1 '--check two.sql gone.sql clean.sql' \
    "$run | .tool.driver.name, .tool.driver.version, .columnKind,
     (.results[] | [.ruleId, .level, .message.text,
                    (.locations[0].physicalLocation | .artifactLocation.uri,
                                                      .region.startLine, .region.startColumn)]),
     .invocations[0].executionSuccessful, $notifications" \
    "\"wqnprep\"
\"$version\"
\"unicodeCodePoints\"
[\"unknown-enumerator\",\"error\",\"unknown enumerator 'zzz' of 'WQNRuleID'\",\"two.sql\",2,21]
[\"unknown-type\",\"error\",\"unknown type 'WQNOperationId'; did you mean 'WQNOperationID'?\",\"two.sql\",3,23]
false
[\"$missing\"]"
  # Each result names its rule by id and by index, and each rule says what it reports.
  row RulesOfTheResults 1 "--check $scratch/two.sql" \
    "$run | . as \$run | [.results[] | \$run.tool.driver.rules[.ruleIndex].id == .ruleId],
     ([.tool.driver.rules[] | .shortDescription.text | length > 0] | all),
     [.results[].locations[0].physicalLocation.artifactLocation.uri | startswith(\"file:///\")]" \
    '[true,true]
true
[true,true]'
  row WarningsOfARunThatWrites 0 '--warn-unknown two.sql out.sql' \
    "$run | [.results[].level], .invocations[0].executionSuccessful, $notifications" \
    '["warning","warning"]
true
[]'
  row OneDocumentForAFolder 1 '--strict -d folder two.sql clean.sql' \
    "$run | (.results | length), $notifications" \
    "2
[\"Error: 2 findings in 'two.sql'\",\"$folder_failed\"]"
  row ColumnsInCharacters 1 '--check wide.sql' \
    "$run | .columnKind, [.results[].locations[0].physicalLocation.region.startColumn]" \
    '"unicodeCodePoints"
[8]'
  row ErrorBeforeAnyInput 1 '-d none two.sql' "$run | .results, $notifications" \
    "[]
[\"$no_folder\"]"

  # The validator: npm's package brings the program for each system; its postinstall, which
  # makes it executable, does not run under every npm.
  validator=$cache/node_modules/.bin/sarif-multitool
  program=$cache/node_modules/@microsoft/sarif-multitool-linux/Sarif.Multitool
  if [ ! -x "$program" ]; then
    npm install --prefix "$cache" --no-save --no-audit --no-fund \
      @microsoft/sarif-multitool@5.7.0 >&2
    chmod u+x "$program"
  fi
  # It exits 0 even when it reports errors, so what it says decides.
  report=$("$validator" validate ./*.sarif 2>&1) || fail "the validator failed"
  grep -q 'Analysis completed successfully' <<<"$report" || fail "the validator did not finish"
  if grep -E ': (error|warning) ' <<<"$report" >&2; then
    fail "the validator reports the errors and warnings above"
  fi
fi

((failures == 0)) || { echo "$failures failures" >&2; exit 1; }
echo "the $format documents hold what the runs met"
