#!/usr/bin/env bash
# The Windows program end to end, where the GoogleTest suites cannot reach it: the paths that only
# exist under Wine (a file's Unix path and its Z: spelling, a symbolic link made on the Unix side,
# /dev/full), and --check and -d, whose own suites (check_mode_test.cpp, output_dir_test.cpp) run
# on POSIX systems only, as they expect POSIX error texts and use setpriv, FIFOs and limits; under
# Wine also the command line as cmd passes it (wildcards, quotes, /?) and a console.
# Everything else the program does on Windows, wqnprep_tests runs there too.
#   end_to_end.sh [RUNNER...] PROGRAM
# RUNNER is how to start a Windows program here (for instance `env WINEDEBUG=-all wine`); none
# on Windows itself (Git Bash, MSYS2). Every case runs in a fresh folder, with relative paths.
# File contents are given as printf formats, so that they can name any byte.
# shellcheck disable=SC2059
set -uo pipefail

command=("$@")
# Each case runs in a folder of its own: the program is found from anywhere.
[[ -e ${command[-1]} ]] && command[-1]=$(cd "$(dirname "${command[-1]}")" && pwd)/${command[-1]##*/}
under_wine=false
for word in "${command[@]}"; do [[ ${word##*/} == wine* ]] && under_wine=true; done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
case_name=""

fail() {
  echo "FAIL [$case_name] $*" >&2
  failures=$((failures + 1))
}

# A fresh folder for each case; it becomes the working folder.
begin() {
  case_name=$1
  cd "$scratch" && rm -rf case && mkdir case && cd case || exit 1
}

# Runs the program; `status`, `out` and `err` hold what it did. Standard input is empty unless
# redirected by the caller.
run() {
  "${command[@]}" "$@" >../stdout 2>../stderr
  collect $?
}

# After a run that wrote to ../stdout and ../stderr: its status and both streams, to the byte.
collect() {
  status=$1
  out=$(cat ../stdout; echo x)
  out=${out%x}
  err=$(cat ../stderr; echo x)
  err=${err%x}
}

expect_status() {
  [[ $status == "$1" ]] || fail "status $status, expected $1; stderr: $err"
}
expect_out() {
  [[ $out == "$1" ]] || fail "stdout $(printf %q "$out"), expected $(printf %q "$1")"
}
expect_err() {
  [[ $err == "$1" ]] || fail "stderr $(printf %q "$err"), expected $(printf %q "$1")"
}
# One line "Error: " + the start given + the system's reason, on standard error only.
expect_error() {
  expect_status 1
  expect_out ""
  [[ $err == "Error: $1"*$'\n' && $err != *$'\n'?* && $err != *$'\r'* && $err != *": "$'\n' ]] ||
    fail "stderr $(printf %q "$err"), expected one line starting 'Error: $1'"
}
expect_file() {  # PATH CONTENT (a printf format)
  [[ -f $1 ]] || { fail "$1 is missing"; return; }
  cmp -s "$1" <(printf -- "$2") || fail "$1 holds $(od -An -c "$1" | head -3)"
}
expect_no_file() {
  [[ ! -e $1 ]] || fail "$1 exists"
}
expect_no_temporary_files() {
  local left
  left=$(find . -name '.*.wqnprep-*')
  [[ -z $left ]] || fail "left behind: $left"
}

# --- Paths only Wine has, and links made on this side -------------------------------------------

if [[ -e /dev/full ]] && $under_wine; then
  begin "full disk"  # Wine maps /dev/full, a device that is always full
  printf 'WQNRuleID::applicableForAll\n' >in.sql
  run in.sql /dev/full
  expect_error "cannot write output '/dev/full': "
fi

# The output is never the input, whatever the spelling; the spellings every system has are in
# fault_injection_test.cpp. Here: a symbolic link made on this side (Wine follows it), and under
# Wine the input's Unix path and its Z: spelling.
same_file_outputs=(symlink.sql)
if $under_wine; then
  same_file_outputs+=("Z:${scratch//\//\\}\\case\\script.sql" "$scratch/case/script.sql")
fi
for output in "${same_file_outputs[@]}"; do
  for strict in "" --strict; do
    begin "same file: $output $strict"
    printf 'WQNRuleID::applicableForAll\r\nkeep me\n' >script.sql
    ln -s script.sql symlink.sql 2>/dev/null || cp script.sql symlink.sql  # no links: a copy is another file
    [[ -L symlink.sql ]] || [[ $output != symlink.sql ]] || continue
    run $strict script.sql "$output"
    expect_error "output '$output' is the input file 'script.sql'; refusing to overwrite it"
    expect_file script.sql 'WQNRuleID::applicableForAll\r\nkeep me\n'
    expect_no_temporary_files
  done
done

# --- Many files: --check and -d ----------------------------------------------------------------

finding=$'in.sql:2:1: error: unknown enumerator \'applicableForNone\' of \'WQNRuleID\' [unknown-enumerator]\n'
begin "--check reads every file and writes nothing"
printf 'ServerType::stWins\r\n' >good.sql
printf 'ServerType::stWins\nWQNRuleID::applicableForNone\n' >in.sql
run --check good.sql
expect_status 0
expect_out ""
expect_err ""
run --check good.sql in.sql
expect_status 1
expect_out ""
expect_err "$finding"
expect_no_file good.out

begin "-d writes each input under its own name"
mkdir out sub
printf 'ServerType::stWins\r\n' >a.sql
printf 'WQNRuleID::applicableForVEs\n' >sub/b.sql
run -d out a.sql sub/b.sql
expect_status 0
expect_file out/a.sql '1\r\n'
expect_file out/b.sql '1\n'

begin "-d refuses two inputs of one name and an input as its own output"
mkdir out sub
printf 'x\n' >a.sql
cp a.sql sub/a.sql
run -d out a.sql sub/a.sql
expect_error "'a.sql' and 'sub/a.sql' would both be written to 'out"
expect_no_file out/a.sql
run -d . a.sql
expect_error "output '"
expect_file a.sql 'x\n'
# Windows names ignore case, so X.sql and x.sql would be one output.
mkdir other
printf 'y\n' >other/X.sql
printf 'z\n' >sub/x.sql
run -d out a.sql other/X.sql sub/x.sql
expect_error "'other/X.sql' and 'sub/x.sql' would both be written to 'out"
expect_no_file out/a.sql

begin "-d --strict writes nothing unless every input is clean"
mkdir out
printf 'ServerType::stWins\n' >a.sql
printf 'WQNRuleID::applicableForNone\n' >b.sql
printf 'before\n' >out/a.sql
run --strict -d out a.sql b.sql
expect_status 1
expect_file out/a.sql 'before\n'
expect_no_file out/b.sql
expect_no_temporary_files

begin "--check and -d walk a folder"
mkdir -p tree/sub1 tree/sub2 out one/tree two/TREE
printf 'ServerType::stWins\r\n' >tree/sub1/a.sql
printf 'WQNRuleID::applicableForVEs\n' >tree/sub2/a.sql
printf 'WQNRuleID::applicableForNone\n' >tree/sub2/b.sql
printf 'WQNRuleID::applicableForNone\n' >tree/notes.txt
run --check tree
expect_status 1
expect_out ""
expect_err "tree\\sub2\\b.sql:1:1: error: unknown enumerator 'applicableForNone' of 'WQNRuleID' [unknown-enumerator]"$'\n'
run --strict -d out tree
expect_status 1
expect_no_file out/tree
rm tree/sub2/b.sql
run -d out tree
expect_status 0
expect_err ""
expect_file out/tree/sub1/a.sql '1\r\n'
expect_file out/tree/sub2/a.sql '1\n'
expect_no_file out/tree/notes.txt
# Output paths are compared without case, as Windows names are.
printf 'x\n' >one/tree/a.sql
printf 'y\n' >two/TREE/A.sql
run -d out one/tree two/TREE
expect_error "'one/tree\\a.sql' and 'two/TREE\\A.sql' would both be written to 'out\\tree\\a.sql'"
expect_file out/tree/sub1/a.sql '1\r\n'

# --- The command line as cmd passes it, and a console (Wine) ------------------------------------

if $under_wine; then
  runner=("${command[@]:0:${#command[@]}-1}")
  program_for_cmd="Z:${command[-1]//\//\\}"
  # cmd hands the program its command line as typed, quotes and wildcards included; from a batch
  # file, as Wine would escape the quotes of a command line given to it. Standard input is
  # ../stdin.
  run_cmd() {
    printf '@%s %s\r\n@exit /b %%errorlevel%%\r\n' "$program_for_cmd" "$1" >../run.cmd
    "${runner[@]}" cmd /c "Z:${scratch//\//\\}\\run.cmd" <../stdin >../stdout 2>../stderr
    collect $?
  }
  unknown() {  # the finding in each file named
    printf "%s:1:1: error: unknown enumerator 'applicableForNone' of 'WQNRuleID' [unknown-enumerator]\n" "$@"
  }

  begin "cmd: wildcards in paths, not in option values, not quoted; /? and -? are --help"
  mkdir sql out
  for file in sql/b.sql sql/A.sql sql/a.sqlite -draft.sql; do  # a.sqlite's short name ends .SQL
    printf 'WQNRuleID::applicableForNone\n' >"$file"
  done
  cp sql/b.sql ../stdin
  run_cmd --help
  help=$out
  # One row each: the command line, then the status, standard output and standard error it
  # gives; an error that ends in ': ' is one line ending in the system's reason.
  rows=(
    'sql\*.sql --check' 1 '' "$(unknown 'sql\A.sql' 'sql\b.sql')"$'\n'
    '--check s?l/*.SQL' 1 '' "$(unknown sql/A.sql sql/b.sql)"$'\n'
    '--check *.sql' 1 '' "$(unknown '.\-draft.sql')"$'\n'
    '--check "sql\*.sql"' 1 '' "Error: cannot open input 'sql\\*.sql': "
    '--check sql\none*.sql' 1 '' "Error: cannot open input 'sql\\none*.sql': "
    '--check --stdin-filename sql\*.sql -' 1 '' "$(unknown 'sql\*.sql')"$'\n'
    '/?' 0 "$help" ''
    '-?' 0 "$help" ''
    '--check sql\*.sql /?' 0 "$help" ''
  )
  for ((row = 0; row < ${#rows[@]}; row += 4)); do
    case_name="cmd: ${rows[row]}"
    run_cmd "${rows[row]}"
    expect_status "${rows[row + 1]}"
    expect_out "${rows[row + 2]}"
    if [[ ${rows[row + 3]} == *': ' ]]; then
      [[ $err == "${rows[row + 3]}"*$'\n' && $err != *$'\n'?* ]] ||
        fail "stderr $(printf %q "$err"), expected one line starting ${rows[row + 3]}"
    else
      expect_err "${rows[row + 3]}"
    fi
  done
  case_name="cmd: -d out sql\*.sql"
  run_cmd '-d out sql\*.sql'
  expect_status 0
  expect_file out/A.sql 'WQNRuleID::applicableForNone\n'
  expect_file out/b.sql 'WQNRuleID::applicableForNone\n'
  expect_no_file out/a.sqlite

  # script gives the program a terminal, which Wine makes its console; what the console shows
  # comes back as UTF-8 with the console's escape sequences.
  if command -v script >/dev/null; then
    begin "a console shows the characters of a message"
    name=$'missing-\xc3\xa9\xe6\x97\xa5\xe6\x9c\xac.sql'
    LANG=C.UTF-8 script -qec "$(printf '%q ' "${runner[@]}" cmd /c "$program_for_cmd" "$name" out.sql)" \
      /dev/null </dev/null >../console
    status=$?
    expect_status 1
    shown=$(sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' ../console)
    [[ $shown == *"$name"* ]] || fail "the console showed $(printf %q "$shown")"
  fi
fi

cd / || exit 1
if ((failures > 0)); then
  echo "$failures failed checks" >&2
  exit 1
fi
echo "all checks passed"
