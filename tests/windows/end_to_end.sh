#!/usr/bin/env bash
# The Windows program end to end: bytes, statuses and messages, as on every other system.
#   end_to_end.sh SOURCE_DIR [RUNNER...] PROGRAM
# RUNNER is how to start a Windows program here (for instance `env WINEDEBUG=-all wine`); none
# on Windows itself (Git Bash, MSYS2). Every case runs in a fresh folder, with relative paths.
# The tables below hold file contents as printf formats, so that they can name any byte.
# shellcheck disable=SC2059
set -uo pipefail

source_dir=$1
shift
command=("$@")
# Each case runs in a folder of its own: the program is found from anywhere.
[[ -e ${command[-1]} ]] && command[-1]=$(cd "$(dirname "${command[-1]}")" && pwd)/${command[-1]##*/}
program_name=${command[-1]##*[/\\]}
under_wine=false
for word in "${command[@]}"; do [[ ${word##*/} == wine* ]] && under_wine=true; done
# Wine turns the arguments to UTF-16 by the locale; the non-ASCII names below are UTF-8.
export LC_ALL=C.UTF-8

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

# --- The bundled examples ----------------------------------------------------------------------

# What the output should be, derived here from the list of every token and its value: each token
# standing as a whole word (no ASCII letter or digit on either side) becomes its value.
expected_by_token_list() {
  perl -e '
    my ($list, $input) = @ARGV;
    open my $tokens, "<", $list or die "$list: $!";
    my %value = ("WQNGlobalScopeGUID" => "8C3E7755-D5D1-2B4F-BA73-E73F13C140D6");
    while (<$tokens>) { chomp; my ($token, $v) = split /\t/; $value{$token} = $v; }
    my $any = join "|", map { quotemeta } sort { length $b <=> length $a } keys %value;
    open my $in, "<:raw", $input or die "$input: $!";
    local $/;
    my $text = <$in>;
    $text =~ s/(?<![A-Za-z0-9])($any)(?![A-Za-z0-9])/$value{$1}/g;
    $text .= "\n" if length $text && substr($text, -1) ne "\n";
    binmode STDOUT;
    print $text;
  ' "$source_dir/tests/data/typed_symbols.tsv" "$1"
}

begin "example grants.sql"
cp "$source_dir/examples/grants.sql" grants.sql
expected_by_token_list grants.sql >expected.sql
grep -q 'WQNOperationID::' grants.sql || fail "the example holds no token"
run grants.sql out.sql
expect_status 0
expect_out ""
expect_err ""
cmp -s out.sql expected.sql || fail "output differs from the token list's: $(diff out.sql expected.sql | head -5)"

for script in grants environments; do
  begin "consumer example $script.sql"
  cp "$source_dir/examples/consumer/sql/$script.sql" in.sql
  run --strict in.sql out.sql
  expect_status 0
  expect_err ""
  cmp -s out.sql "$source_dir/examples/consumer/expected/sql/$script.sql" || fail "differs from expected/"
done

# --- Lines and bytes -----------------------------------------------------------------------------

# label | input | output, both as printf formats
line_cases=(
  "empty||"
  "no final line feed|a|a\n"
  "two lines|a\nb\n|a\nb\n"
  "only line feeds|\n\n\n|\n\n\n"
  "CRLF kept|x\r\nWQNRuleID::applicableForVEs\r\n|x\r\n1\r\n"
  "CRLF script|-- grants\r\nINSERT INTO t VALUES (WQNOperationID::OPID_LICENSE_GENERALEXECUTE, WQNDBObjTypeID::objIPPool, WQNEnvStatusID::ENV_STAT_RUNNING);\r\n\r\nscope = 'WQNGlobalScopeGUID';\r\n|-- grants\r\nINSERT INTO t VALUES (2, 7, 6);\r\n\r\nscope = '8C3E7755-D5D1-2B4F-BA73-E73F13C140D6';\r\n"
  "CR alone|a\rServerType::stWins\r|a\r1\r\n"
  "Ctrl-Z is no end|a\032b\nServerType::stDns\n|a\032b\n0\n"
  "raw bytes|\0\200\377\n\0|\0\200\377\n\0\n"
  "whole words only|x_WQNRuleID::applicableForVEs xWQNRuleID::applicableForVEs WQNRuleID::applicableForVEs2\n|x_1 xWQNRuleID::applicableForVEs WQNRuleID::applicableForVEs2\n"
)
for entry in "${line_cases[@]}"; do
  IFS='|' read -r label input output <<<"$entry"
  begin "lines: $label"
  printf -- "$input" >in.sql
  run in.sql out.sql
  expect_status 0
  expect_out ""
  expect_err ""
  expect_file out.sql "$output"
  expect_file in.sql "$input"
done

begin "an existing output is replaced"
printf 'ServerType::stDns\n' >in.sql
printf 'a much longer previous content\r\n' >out.sql
run in.sql out.sql
expect_status 0
expect_file out.sql '0\n'

# --- Standard streams ---------------------------------------------------------------------------

all_bytes() {
  local i
  for ((i = 0; i < 256; i++)); do printf "\\$(printf %03o "$i")"; done
}

begin "- - passes all 256 byte values"
all_bytes >in.bin
: >../stdout
"${command[@]}" - - <in.bin >out.bin 2>../stderr
collect $?
expect_status 0
expect_err ""
cmp -s out.bin <(all_bytes; printf '\n') || fail "differs: $(cmp out.bin <(all_bytes; printf '\n'))"

begin "- - through pipes, CRLF kept"
printf 'a\r\nWQNRuleID::applicableForAll\r\n' | "${command[@]}" - - 2>../stderr | od -An -tx1 >dump
status=${PIPESTATUS[1]}
expect_status 0
[[ $(tr -s ' \n' ' ' <dump) == " 61 0d 0a 30 0d 0a " ]] || fail "got $(cat dump)"

begin "- as input, a file as output"
printf 'ServerType::stWins' | "${command[@]}" - out.sql >../stdout 2>../stderr
collect $?
expect_status 0
expect_out ""
expect_err ""
expect_file out.sql '1\n'

begin "a file as input, - as output"
printf 'WQNEnvStatusID::ENV_STAT_DOWN\r\n' >in.sql
run in.sql -
expect_status 0
expect_out $'3\r\n'
expect_err ""

begin "--warn-unknown names standard input <stdin>"
printf 'WQNRuleID::zzz' | "${command[@]}" --warn-unknown - - >../stdout 2>../stderr
collect $?
expect_status 0
expect_out $'WQNRuleID::zzz\n'
expect_err "<stdin>:1:1: warning: unknown enumerator 'zzz' of 'WQNRuleID' [unknown-enumerator]"$'\n'

# Each line comes out before the next goes in: the program can sit in a slowly fed pipe. A
# line held back would leave the read below waiting, and CTest's time limit would end the run.
begin "each line reaches standard output before the next is sent"
: >../stdout
coproc program { "${command[@]}" - - 2>../stderr; }
lines=("WQNRuleID::applicableForAll,|0," "no token|no token" "(ServerType::stWins)|(1)")
for entry in "${lines[@]}"; do
  printf '%s\n' "${entry%%|*}" >&"${program[1]}"
  IFS= read -r line <&"${program[0]}"
  [[ $line == "${entry#*|}" ]] || fail "sent '${entry%%|*}', got '$line'"
done
printf 'WQNRuleID::applicableForHNs' >&"${program[1]}"  # the last line, without a line feed
eval "exec ${program[1]}>&-"
IFS= read -r line <&"${program[0]}"
[[ $line == 2 ]] || fail "last line: got '$line'"
# shellcheck disable=SC2154 # set by coproc
wait "$program_PID"
collect $?
expect_status 0
expect_err ""

begin "closed standard streams are errors"
printf 'ServerType::stWins\n' >in.sql
: >../stdout
"${command[@]}" in.sql - >&- 2>../stderr
collect $?
expect_error "cannot write output '<stdout>': "
for option in --version --help --list; do
  "${command[@]}" "$option" >&- 2>../stderr
  collect $?
  expect_error ""
done
"${command[@]}" - out.sql <&- 2>../stderr
collect $?
expect_error "cannot "
[[ $err == *"'<stdin>'"* ]] || fail "stderr $(printf %q "$err") names no <stdin>"

begin "informational output has bare line feeds"
run --list
expect_status 0
[[ $out == *$'WQNEnvStatusID::ENV_STAT_DOWN\t3\n'* ]] || fail "no ENV_STAT_DOWN line"
[[ $out != *$'\r'* ]] || fail "carriage returns in --list"
run --version
expect_status 0
[[ $out == $'wqnprep 1.0.0\n'* && $out != *$'\r'* ]] || fail "version: $(printf %q "$out")"
run --help
expect_status 0
[[ $out == "usage: $program_name "* && $out != *$'\r'* ]] || fail "help: $(printf %q "${out:0:80}")"

# --- The command line ---------------------------------------------------------------------------

usage="use $program_name <input filename> <output filename>"$'\n'
# arguments (words) | expected standard output | expected standard error
command_line_cases=(
  "|$usage|"
  "in.sql|$usage|"
  "in.sql out.sql extra.sql|$usage|"
  "--no-such-option in.sql out.sql||$program_name: unrecognized option '--no-such-option'
Try '$program_name --help' for more information.
"
  "-x in.sql out.sql||$program_name: invalid option -- 'x'
Try '$program_name --help' for more information.
"
)
for entry in "${command_line_cases[@]}"; do
  IFS='|' read -r -d '' words expected_out expected_err <<<"$entry"
  expected_err=${expected_err%$'\n'}  # the line feed <<< adds
  begin "usage: '$words'"
  read -ra arguments <<<"$words"
  run ${arguments[@]+"${arguments[@]}"}
  expect_status 2
  expect_out "$expected_out"
  expect_err "$expected_err"
  [[ -z $(ls -A) ]] || fail "files were made: $(ls -A)"
done

begin "options after the paths"
printf 'WQNRuleID::applicableForVEs\nWQNRuleID::zzz\n' >in.sql
run in.sql out.sql --warn-unknown
expect_status 0
expect_err "in.sql:2:1: warning: unknown enumerator 'zzz' of 'WQNRuleID' [unknown-enumerator]"$'\n'
expect_file out.sql '1\nWQNRuleID::zzz\n'

begin "-- before a path that begins with -"
printf 'ServerType::stWins\n' >-draft.sql
run -- -draft.sql out.sql
expect_status 0
expect_file out.sql '1\n'

# --- Errors -------------------------------------------------------------------------------------

begin "missing input, no output yet"
run missing.sql out.sql
expect_error "cannot open input 'missing.sql': "
expect_no_file out.sql

begin "missing input, existing output kept"
printf 'previous output\n' >out.sql
run missing.sql out.sql
expect_error "cannot open input 'missing.sql': "
expect_file out.sql 'previous output\n'

begin "folder as input"
mkdir folder
printf 'previous output\n' >out.sql
run folder out.sql
expect_error "cannot read input 'folder': Is a directory"
expect_file out.sql 'previous output\n'

# output path (relative to the case folder) | start of the message after "Error: "
output_failures=(
  "no/such/out.sql|cannot open output 'no/such/out.sql': "
  'no\such\out.sql|cannot open output '"'"'no\such\out.sql'"'"': '
  "folder|cannot open output 'folder': Is a directory"
)
for entry in "${output_failures[@]}"; do
  IFS='|' read -r output message <<<"$entry"
  for input in '' 'WQNRuleID::applicableForAll\n'; do
    begin "output $output, input '$input'"
    mkdir folder
    printf -- "$input" >in.sql
    run in.sql "$output"
    expect_error "$message"
    expect_file in.sql "$input"
  done
done

if [[ -e /dev/full ]] && $under_wine; then
  begin "full disk"  # Wine maps /dev/full, a device that is always full
  printf 'WQNRuleID::applicableForAll\n' >in.sql
  run in.sql /dev/full
  expect_error "cannot write output '/dev/full': "
fi

# --- The output is never the input --------------------------------------------------------------

# Spellings of script.sql: as given, with . and .., with backslashes, in other letter case,
# absolute, through a hard link and a symbolic link made on this side (Wine maps both).
same_file_outputs=(script.sql ./script.sql 'sub/../script.sql' '.\script.sql' 'sub\..\script.sql'
                   SCRIPT.SQL hardlink.sql symlink.sql)
if $under_wine; then
  same_file_outputs+=("Z:${scratch//\//\\}\\case\\script.sql" "$scratch/case/script.sql")
fi
for output in "${same_file_outputs[@]}"; do
  for strict in "" --strict; do
    begin "same file: $output $strict"
    printf 'WQNRuleID::applicableForAll\r\nkeep me\n' >script.sql
    mkdir sub
    ln script.sql hardlink.sql
    ln -s script.sql symlink.sql 2>/dev/null || cp script.sql symlink.sql  # no links: a copy is another file
    [[ -L symlink.sql ]] || [[ $output != symlink.sql ]] || continue
    run $strict script.sql "$output"
    expect_error "output '$output' is the input file 'script.sql'; refusing to overwrite it"
    expect_file script.sql 'WQNRuleID::applicableForAll\r\nkeep me\n'
    expect_no_temporary_files
  done
done

# Wine cannot tell the volume of a standard stream that is a file on this side, so the check
# below would let the program read what it appends; it runs on Windows itself.
if ! $under_wine; then
  begin "standard output appending to the input"
  printf 'WQNRuleID::applicableForAll\n' >script.sql
  : >../stdout
  # shellcheck disable=SC2094 # reading and appending to one file is the point
  "${command[@]}" script.sql - >>script.sql 2>../stderr
  collect $?
  expect_error "output '<stdout>' is the input file 'script.sql'; refusing to overwrite it"
  expect_file script.sql 'WQNRuleID::applicableForAll\n'
fi

# --- --strict and --warn-unknown ----------------------------------------------------------------

finding=$'in.sql:2:1: error: unknown enumerator \'applicableForNone\' of \'WQNRuleID\' [unknown-enumerator]\n'
begin "--strict with a finding leaves an existing output untouched"
printf 'ServerType::stWins\nWQNRuleID::applicableForNone\n' >in.sql
printf 'previous\r\noutput\n' >out.sql
run --strict in.sql out.sql
expect_status 1
expect_out ""
expect_err "${finding}Error: 1 finding in 'in.sql'; 'out.sql' was not written"$'\n'
expect_file out.sql 'previous\r\noutput\n'
expect_no_temporary_files

begin "--strict with a finding creates no output"
printf 'WQNRuleID::applicableForNone\nWQNRuleID::applicableForNone\n' >in.sql
run --strict in.sql out.sql
expect_status 1
[[ $err == *"Error: 2 findings in 'in.sql'; 'out.sql' was not written"$'\n' ]] ||
  fail "stderr $(printf %q "$err")"
expect_no_file out.sql
expect_no_temporary_files

begin "--strict without findings replaces the output"
printf 'ServerType::stWins\r\n' >in.sql
printf 'previous output, longer than the new one\n' >out.sql
run --strict in.sql out.sql
expect_status 0
expect_err ""
expect_file out.sql '1\r\n'
expect_no_temporary_files

begin "--strict without findings creates the output"
printf 'ServerType::stWins\n' >in.sql
mkdir sub
run --strict in.sql 'sub\out.sql'
expect_status 0
expect_file sub/out.sql '1\n'
expect_no_temporary_files

begin "--strict into a missing folder"
printf 'ServerType::stWins\n' >in.sql
run --strict in.sql no/such/out.sql
expect_error "cannot open output 'no/such/out.sql': "

# Through pipes, --strict holds everything back until the whole input is read and clean: a
# finding on the last line leaves standard output empty, clean lines before it included.
# label | input (a printf format) | status | standard output (a printf format)
strict_pipe_cases=(
  "finding last|ServerType::stWins\r\nno token\nWQNRuleID::applicableForNone|1|"
  "finding first|WQNRuleID::applicableForNone\nServerType::stWins\n|1|"
  "clean|ServerType::stWins\r\nno token\nWQNRuleID::applicableForAll|0|1\r\nno token\n0\n"
  "empty||0|"
)
for entry in "${strict_pipe_cases[@]}"; do
  IFS='|' read -r label input expected output <<<"$entry"
  begin "--strict - - through pipes: $label"
  printf -- "$input" | "${command[@]}" --strict - - 2>../stderr | od -An -c >dump
  collect "${PIPESTATUS[1]}"
  expect_status "$expected"
  [[ $(<dump) == "$(printf -- "$output" | od -An -c)" ]] || fail "stdout $(cat dump)"
  if ((expected == 0)); then
    expect_err ""
  else
    [[ $err == *$' [unknown-enumerator]\nError: 1 finding in \'<stdin>\'; \'<stdout>\' was not written\n' ]] ||
      fail "stderr $(printf %q "$err")"
  fi
done

begin "--warn-unknown reports and writes"
printf 'ServerType::stWins\nWQNRuleID::applicableForNone\n' >in.sql
run --warn-unknown in.sql out.sql
expect_status 0
expect_err "${finding/error:/warning:}"
expect_file out.sql '1\nWQNRuleID::applicableForNone\n'

# --- Many files: --check and -d ----------------------------------------------------------------

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

# --- Names beyond ASCII -------------------------------------------------------------------------

begin "non-ASCII file names"
printf 'ServerType::stWins\r\n' >'grüße ✓.sql'
run 'grüße ✓.sql' 'αυτό-é.sql'
expect_status 0
expect_err ""
expect_file 'αυτό-é.sql' '1\r\n'

begin "non-ASCII names in messages"
run 'fehlt-ü.sql' out.sql
expect_error "cannot open input 'fehlt-ü.sql': "
printf 'x\n' >'日本.sql'
run '日本.sql' '日本.sql'
expect_error "output '日本.sql' is the input file '日本.sql'; refusing to overwrite it"

cd / || exit 1
if ((failures > 0)); then
  echo "$failures failed checks" >&2
  exit 1
fi
echo "all checks passed"
