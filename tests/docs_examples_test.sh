#!/usr/bin/env bash
# Runs the shell examples of the README and the manual page and compares what they print with
# what the documents show, byte for byte.
#
#     docs_examples_test.sh plain|database WQNPREP SOURCE_DIR
#
# An example is a line "$ COMMAND" in a code block of README.md (indented or fenced; a line
# ending in a backslash continues on the next) or in a .nf/.fi block of the manual page's
# EXAMPLES section; the lines after it, up to the next "$ " line or the end of the block, are what
# it prints: standard output and standard error together. Trailing blank lines of an indented
# block are not part of it (Markdown drops them); a fenced block keeps them. The examples of one
# block run one after the other, with bash, in one scratch copy of examples/ (so the source tree
# stays clean), with WQNPREP first on PATH as `wqnprep`. What an example prints is compared; of
# its exit status only that one that prints an error (`Error: ...`, `FILE:LINE:COLUMN: error:
# ...`, psql's `ERROR:`) must fail, as a documented pipeline must when its wqnprep does. An
# example that is `set -o OPTION` alone (`set -o pipefail`) holds for the examples after it in its
# block, as in the reader's shell. Examples should not mix output of two processes that run at the
# same time: their order would not be fixed. Nor may they change a file of examples/ that the
# checkout holds: a reader who runs them there would lose it.
#
# `plain` runs the blocks that do not use psql; `database` the blocks that do, against a throwaway
# PostgreSQL server (pg_server.sh) with psql first on PATH, a fresh empty database `mydb` for each
# block, and PSQLRC=/dev/null so that no one's ~/.psqlrc changes what psql prints. Either fails
# when it finds no example of its kind.
#
# Besides (in `plain`), every README code line that runs wqnprep must be such an example, so that
# none can be added without being checked: a line that starts with `wqnprep` or pipes into it,
# outside the synopsis under "## Usage" and outside fenced blocks of another language (make).
set -euo pipefail

[ $# -eq 3 ] || { echo "use: $0 plain|database WQNPREP SOURCE_DIR" >&2; exit 2; }
mode=$1 wqnprep=$2 source_dir=$3
case $mode in plain | database) ;; *) echo "unknown mode '$mode'" >&2; exit 2 ;; esac
[ -x "$wqnprep" ] || { echo "FAIL: '$wqnprep' is not an executable program" >&2; exit 1; }
readme=$source_dir/README.md
manual=$source_dir/man/wqnprep.1.in
examples=$source_dir/examples

if [ "$mode" = database ]; then
  . "$source_dir/tests/database/pg_server.sh"
  pg_start
  work=$PG_SCRATCH
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/wqnprep-docs.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi

# --- Extraction ------------------------------------------------------------------------------
# Both extractors write one record per line: "B<TAB>WHERE" opens a block, "C<TAB>LINE<TAB>COMMAND"
# an example, "O<TAB>TEXT" a line of output, "L<TAB>LINE<TAB>TEXT" a README code line that runs
# wqnprep without being an example.

extract_readme() {
  awk '
    # Blank lines are output like any other, except those that end an indented block.
    function emit_blank_lines() {
      for (; pending_blank > 0; pending_blank--) if (command != "") print "O\t"
    }
    function finish_command() {
      if (continued) print "C\t" command_line "\t" command
      continued = 0
    }
    function close_block() {
      if (!in_block) return
      if (fenced) emit_blank_lines()
      finish_command()
      in_block = 0; fenced = 0; pending_blank = 0; command = ""
    }
    function open_block() {
      in_block = 1; pending_blank = 0; command = ""; continued = 0
      print "B\tREADME.md:" NR
    }
    function code_line(text) {
      if (continued) {
        command = command "\001" text
        continued = (text ~ /\\$/)
        if (!continued) print "C\t" command_line "\t" command
        return
      }
      if (text ~ /^\$ /) {
        emit_blank_lines()
        command = substr(text, 3); command_line = NR
        continued = (text ~ /\\$/)
        if (!continued) print "C\t" command_line "\t" command
        return
      }
      emit_blank_lines()
      if (command != "") { print "O\t" text; return }
      if (!synopsis && text ~ /(^|[|&;(][ \t]*)wqnprep([ \t]|$)/) print "L\t" NR "\t" text
    }
    /^```/ {
      if (in_block && fenced) { close_block(); next }
      close_block()
      language = substr($0, 4); sub(/[ \t]+$/, "", language)
      foreign = (language != "" && language !~ /^(console|shell|sh|bash)$/)
      synopsis = 0
      open_block(); fenced = 1
      next
    }
    # A fenced script ("#!" on its first line) is no example: tests/pre_commit_test.sh runs the
    # hook in the README.
    in_block && fenced && command == "" && pending_blank == 0 && $0 ~ /^#!/ { foreign = 1 }
    in_block && fenced {
      if (foreign) next
      if ($0 == "") pending_blank++
      else code_line($0)
      next
    }
    /^[ \t]*$/ { if (in_block) pending_blank++; previous_blank = 1; next }
    /^    / && (previous_blank || in_block) {
      if (!in_block) {
        open_block()
        synopsis = (last_heading == "## Usage" && !seen_block_under_heading)
        seen_block_under_heading = 1
      }
      code_line(substr($0, 5))
      previous_blank = 0
      next
    }
    {
      close_block()
      if ($0 ~ /^#/) { last_heading = $0; seen_block_under_heading = 0 }
      previous_blank = 0
    }
    END { close_block() }
  ' "$readme"
}

# The manual page: .nf/.fi blocks of the EXAMPLES section, with the escapes the page uses there
# turned back into the characters they stand for.
extract_manual() {
  awk '
    function plain(text) {
      gsub(/\\-/, "-", text); gsub(/\\&/, "", text); gsub(/\\\(aq/, "\047", text)
      gsub(/\\e/, "\\", text)
      return text
    }
    /^\.SH/ { in_examples = ($0 == ".SH EXAMPLES"); in_block = 0; next }
    !in_examples { next }
    /^\.nf/ { in_block = 1; command = ""; print "B\twqnprep.1.in:" NR; next }
    /^\.fi/ { in_block = 0; next }
    !in_block || /^\.\\"/ { next }
    /^\$ / { command = plain(substr($0, 3)); print "C\t" NR "\t" command; next }
    { print "O\t" plain($0) }
  ' "$manual"
}

# --- Running ---------------------------------------------------------------------------------

mkdir -p "$work/bin"
ln -s "$(realpath "$wqnprep")" "$work/bin/wqnprep"
export PATH=$work/bin:$PATH LC_ALL=C WQNPREP_ARGV0=wqnprep PSQLRC=/dev/null
[ "$mode" = database ] && export PATH=$work/bin:$PG_BINDIR:$PATH

failures=0 ran=0 skipped_blocks=0

# The files of examples/ that the checkout holds: those git tracks, or all of them outside a git
# checkout.
list_checkout_files() {
  if git -C "$examples" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$examples" ls-files -z
  else
    (cd "$examples" && find . -type f -print0)
  fi
}
checkout_files=()
while IFS= read -r -d '' file; do checkout_files+=("$file"); done < <(list_checkout_files)
((${#checkout_files[@]} > 0)) || { echo "FAIL: no files in '$examples'" >&2; exit 1; }

fail_example() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Runs the examples of one block, read from the files block.N/command.M and block.N/expected.M.
run_block() {
  local block=$1 where=$2 count i document_file line file command status shell_options=''
  count=$(cat "$block/count")
  ((count > 0)) || return 0
  if grep -q -w psql "$block"/command.*; then
    [ "$mode" = database ] || { skipped_blocks=$((skipped_blocks + 1)); return 0; }
    PGOPTIONS='-c client_min_messages=warning' pg_sql -d postgres -c 'DROP DATABASE IF EXISTS mydb' \
      -c 'CREATE DATABASE mydb'
  else
    [ "$mode" = plain ] || { skipped_blocks=$((skipped_blocks + 1)); return 0; }
  fi
  rm -rf "$work/examples"
  cp -R "$examples" "$work/examples"
  document_file=${where%%:*}
  for ((i = 1; i <= count; i++)); do
    line=$(cat "$block/line.$i")
    command=$(cat "$block/command.$i")
    ran=$((ran + 1))
    status=0
    (cd "$work/examples" && bash -c "$shell_options$command" </dev/null >"$block/actual.$i" 2>&1) ||
      status=$?
    [[ ! $command =~ ^set\ [-+]o\ [a-z]+$ ]] || shell_options+="$command"$'\n'
    if ! cmp -s "$block/expected.$i" "$block/actual.$i"; then
      fail_example "$document_file:$line: \$ $(head -n 1 <<<"$command") prints other than documented:"
      diff -u --label "$document_file:$line (documented)" --label "actual output" \
        "$block/expected.$i" "$block/actual.$i" >&2 || true
    fi
    if ((status == 0)) && grep -q -i -E '^error: |: error: ' "$block/actual.$i"; then
      fail_example "$document_file:$line: \$ $(head -n 1 <<<"$command") prints an error but" \
                   "exits 0 (a pipeline needs \`set -o pipefail\` to fail when wqnprep does)"
    fi
  done
  for file in "${checkout_files[@]}"; do
    [ ! -e "$examples/$file" ] || cmp -s "$examples/$file" "$work/examples/$file" ||
      fail_example "$where: the examples of this block changed examples/${file#./}"
  done
}

# Splits the records of one document into block folders and runs them.
run_document() {
  local name=$1 kind text rest line command block= n=0 i=0
  while IFS= read -r record; do
    kind=${record%%$'\t'*}
    rest=${record#*$'\t'}
    case $kind in
      B)
        [ -z "$block" ] || run_block "$block" "$where"
        n=$((n + 1)) i=0 where=$rest
        block=$work/$name.block.$n
        mkdir "$block"
        echo 0 >"$block/count" ;;
      C)
        line=${rest%%$'\t'*} command=${rest#*$'\t'}
        command=${command//$'\001'/$'\n'}  # the line breaks of a continued command
        i=$((i + 1))
        printf '%s\n' "$line" >"$block/line.$i"
        printf '%s\n' "$command" >"$block/command.$i"
        : >"$block/expected.$i"
        echo "$i" >"$block/count" ;;
      O)
        ((i > 0)) || { fail_example "output before any command in $where"; continue; }
        printf '%s\n' "$rest" >>"$block/expected.$i" ;;
      L)
        [ "$mode" = plain ] || continue
        line=${rest%%$'\t'*} text=${rest#*$'\t'}
        fail_example "$name:$line runs wqnprep but is no example ('\$ ' and the output it" \
                     "prints): $text" ;;
    esac
  done
  [ -z "$block" ] || run_block "$block" "$where"
}

run_document README.md < <(extract_readme)
run_document wqnprep.1.in < <(extract_manual)

if ((ran == 0)); then
  fail_example "no $mode examples found in README.md or the manual page's EXAMPLES"
fi
echo "$ran $mode examples run ($skipped_blocks blocks of the other kind left to the other test)"
((failures == 0)) || { echo "$failures failures" >&2; exit 1; }
