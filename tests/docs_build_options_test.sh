#!/usr/bin/env bash
# Every build setting a user can give is named in the README's "## Building" section:
#   - each option() and cmake_dependent_option() of the project's CMake files,
#   - each WQNPREP_* cache variable they set (set(WQNPREP_... CACHE ...)),
#   - each WQNPREP_* variable the presets set,
#   - each configure preset (cmake --list-presets), with a row of its own in the Presets table.
# Fails when it finds none of the first kind, so that a change in how options are declared cannot
# make it pass without looking.
#
#     docs_build_options_test.sh SOURCE_DIR
set -euo pipefail

[ $# -eq 1 ] || { echo "use: $0 SOURCE_DIR" >&2; exit 2; }
source_dir=$1
readme=$source_dir/README.md
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The Building section: from its heading to the next heading of the same level.
section=$(awk '/^## / { inside = ($0 == "## Building") } inside' "$readme")
[ -n "$section" ] || { echo "FAIL: README.md has no '## Building' section" >&2; exit 1; }

# The project's CMake files, without build folders (any folder holding a CMakeCache.txt) or the
# copies CMake makes of other projects.
cmake_files=()
while IFS= read -r -d '' file; do
  cmake_files+=("$file")
done < <(find "$source_dir" \( -name .git -o -name _deps \
                                -o -exec test -e '{}/CMakeCache.txt' \; \) -prune \
              -o -type f \( -name CMakeLists.txt -o -name '*.cmake' -o -name '*.cmake.in' \) \
              -print0)
((${#cmake_files[@]} > 0)) || { echo "FAIL: no CMake files under '$source_dir'" >&2; exit 1; }

# option(NAME ...) and cmake_dependent_option(NAME ...), the name possibly on the next line.
options=$(cat "${cmake_files[@]}" | tr '\n' ' ' |
  grep -o -E '(^|[^A-Za-z0-9_])(cmake_dependent_)?option\([[:space:]]*[A-Za-z0-9_]+' |
  sed -E 's/.*\([[:space:]]*//' | sort -u)
[ -n "$options" ] || { echo "FAIL: no option() found in ${cmake_files[*]}" >&2; exit 1; }

cache_variables=$(cat "${cmake_files[@]}" | tr '\n' ' ' |
  grep -o -E 'set\([[:space:]]*WQNPREP_[A-Z0-9_]+[^)]*[[:space:]]CACHE[[:space:]]' |
  sed -E 's/set\([[:space:]]*(WQNPREP_[A-Z0-9_]+).*/\1/' | sort -u)
preset_variables=$(grep -o -E '"WQNPREP_[A-Z0-9_]+"' "$source_dir/CMakePresets.json" |
  tr -d '"' | sort -u)

checked=0
for name in $options $cache_variables $preset_variables; do
  checked=$((checked + 1))
  grep -q -E "(^|[^A-Za-z0-9_])$name([^A-Za-z0-9_]|$)" <<<"$section" ||
    fail "the CMake setting $name is not named in the README's Building section"
done

presets=$(cd "$source_dir" && cmake --list-presets=configure |
  sed -n -E 's/^[[:space:]]+"([^"]+)".*/\1/p')
[ -n "$presets" ] || fail "cmake --list-presets=configure listed no presets"
# The rows of the "### Presets" table, each beginning with its preset's name.
preset_rows=$(awk '/^#/ { inside = ($0 == "### Presets") } inside && /^\| `/' <<<"$section")
[ -n "$preset_rows" ] || fail "the README's Building section has no '### Presets' table"
for preset in $presets; do
  checked=$((checked + 1))
  grep -q -F -- "| \`$preset\` |" <<<"$preset_rows" ||
    fail "the preset '$preset' has no row in the README's Presets table"
done

echo "$checked settings and presets checked"
((failures == 0)) || { echo "$failures failures" >&2; exit 1; }
