#!/usr/bin/env bash
# Configures small projects that use wqnprep_preprocess from an installed wqnprep wrongly, and
# checks that configuration stops with a message naming the scripts (or the script and its
# output), and that scripts of one name in different folders of a project are still fine.
#   preprocess_mistakes_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null

# project NAME CALLS...: a project in $work/NAME whose CMakeLists.txt ends with CALLS.
project() {
  local dir=$work/$1; shift
  mkdir -p "$dir"
  {
    echo "cmake_minimum_required(VERSION 3.25)"
    echo "project($(basename "$dir") NONE)"
    echo "find_package(wqnprep REQUIRED)"
    printf '%s\n' "$@"
  } >"$dir/CMakeLists.txt"
}
script() { mkdir -p "$(dirname "$1")"; echo "SELECT WQNRuleID::applicableForAll;" >"$1"; }

# expect_error NAME SOURCE BINARY TEXT...: configuring fails and the message (joined into one
# line, as CMake wraps it) holds every TEXT.
expect_error() {
  local name=$1 source=$2 binary=$3; shift 3
  if cmake -S "$source" -B "$binary" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" \
       >"$work/$name.log" 2>&1; then
    fail "$name: configuration passed"
  fi
  local message; message=$(tr -s ' \n' '  ' <"$work/$name.log")
  for text in "$@"; do
    [[ $message == *"$text"* ]] || { cat "$work/$name.log" >&2; fail "$name: no '$text'"; }
  done
}

# Control: the same file name in two folders keeps its folder, so nothing collides.
project folders 'wqnprep_preprocess(OUTPUT_VAR out SOURCES sql/x.sql other/x.sql)' \
  'add_custom_target(scripts ALL DEPENDS ${out})'
script "$work/folders/sql/x.sql"
script "$work/folders/other/x.sql"
cmake -S "$work/folders" -B "$work/folders-build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" \
  >"$work/folders.log" 2>&1 || { cat "$work/folders.log" >&2; fail "folders: configuration failed"; }
cmake --build "$work/folders-build" >>"$work/folders.log" 2>&1 || fail "folders: build failed"
for output in sql/x.sql other/x.sql; do
  [ "$(cat "$work/folders-build/$output")" = "SELECT 0;" ] || fail "folders: $output"
done

# Scripts from outside the source folder keep only their file name.
project outside 'wqnprep_preprocess(OUTPUT_VAR out SOURCES ../shared_a/x.sql ../shared_b/x.sql)'
script "$work/shared_a/x.sql"
script "$work/shared_b/x.sql"
expect_error outside "$work/outside" "$work/outside-build" \
  "the scripts '$work/shared_a/x.sql' and '$work/shared_b/x.sql' would both be written to '$work/outside-build/x.sql'"

# One script twice.
project twice 'wqnprep_preprocess(OUTPUT_VAR out SOURCES sql/x.sql other/y.sql sql/x.sql)'
script "$work/twice/sql/x.sql"
script "$work/twice/other/y.sql"
expect_error twice "$work/twice" "$work/twice-build" \
  "the script '$work/twice/sql/x.sql' is listed more than once for the output '$work/twice-build/sql/x.sql'"

# Two folders' calls that write into one DESTINATION.
project calls 'add_subdirectory(a)' 'add_subdirectory(b)'
for part in a b; do
  script "$work/calls/$part/sql/x.sql"
  cat >"$work/calls/$part/CMakeLists.txt" <<'CALL'
wqnprep_preprocess(OUTPUT_VAR out SOURCES sql/x.sql DESTINATION "${PROJECT_BINARY_DIR}/scripts")
CALL
done
expect_error calls "$work/calls" "$work/calls-build" \
  "the scripts '$work/calls/a/sql/x.sql' and '$work/calls/b/sql/x.sql' would both be written to '$work/calls-build/scripts/sql/x.sql'"

# An in-source build with the default DESTINATION.
project insource 'wqnprep_preprocess(OUTPUT_VAR out SOURCES sql/x.sql)'
script "$work/insource/sql/x.sql"
expect_error insource "$work/insource" "$work/insource" \
  "the script '$work/insource/sql/x.sql' would be its own output"
[ "$(cat "$work/insource/sql/x.sql")" = "SELECT WQNRuleID::applicableForAll;" ] ||
  fail "insource: the script was changed"

echo "wqnprep_preprocess: stops on colliding outputs and in-source outputs, names the scripts"
