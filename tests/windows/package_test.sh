#!/usr/bin/env bash
# The zip a Windows user downloads: cpack makes it from a build tree; unpacked into a folder
# whose path has a blank, the program runs from there, says its version and converts a script.
# The program carries the version resource and the manifest, and in a Release build no debug
# information.
#   package_test.sh BUILD_DIR VERSION OBJDUMP STRIPPED(yes|no) [RUNNER...]
# RUNNER is how to start a Windows program here (`env WINEDEBUG=-all wine`); none on Windows.
set -euo pipefail
build=$1
version=$2
objdump=$3
stripped=$4
shift 4
runner=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G ZIP -B "$work/made" >/dev/null
zip=$work/made/wqnprep-$version-win64.zip
[[ -f $zip ]] || fail "no wqnprep-$version-win64.zip: $(ls "$work/made")"
unpacked="$work/any folder"
mkdir "$unpacked"
(cd "$unpacked" && unzip -q "$zip")
folder=$unpacked/wqnprep-$version-win64
(cd "$folder" && find . -type f | sed 's/wqnprepTargets-[a-z]*\.cmake$/wqnprepTargets-BUILDTYPE.cmake/' |
  sort) >"$work/files"
cat >"$work/expected" <<'LIST'
./LICENSE.txt
./MANUAL.txt
./README.txt
./cmake/wqnprepConfig.cmake
./cmake/wqnprepConfigVersion.cmake
./cmake/wqnprepFunctions.cmake
./cmake/wqnprepTargets-BUILDTYPE.cmake
./cmake/wqnprepTargets.cmake
./wqnprep.exe
LIST
diff "$work/expected" "$work/files" || fail "the zip's files"
grep -q "^ *wqnprep \[OPTIONS\] INPUT OUTPUT" "$folder/MANUAL.txt" || fail "MANUAL.txt is no manual"

program=$folder/wqnprep.exe
"${runner[@]}" "$program" --version >"$work/version" || fail "--version failed"
[[ $(head -n 1 "$work/version") == "wqnprep $version" ]] || fail "version: $(head -n 1 "$work/version")"
printf 'ServerType::stWins\r\n' >"$work/in.sql"
"${runner[@]}" "$program" "$work/in.sql" "$work/out.sql" || fail "the conversion failed"
cmp -s "$work/out.sql" <(printf '1\r\n') || fail "converted: $(od -c "$work/out.sql")"

# The version resource's strings are UTF-16: each name, then its value.
strings -a -el "$program" >"$work/utf16"
strings -a "$program" >"$work/bytes"
value() { grep -A1 -x "$1" "$work/utf16" | tail -n 1; }
[[ $(value FileVersion) == "$version" ]] || fail "FileVersion $(value FileVersion)"
[[ $(value ProductVersion) == "$version" ]] || fail "ProductVersion $(value ProductVersion)"
[[ $(value LegalCopyright) == "$(sed -n 2p "$work/version")" ]] ||
  fail "LegalCopyright $(value LegalCopyright) is not what --version says"
grep -q '<longPathAware[^>]*>true<' "$work/bytes" || fail "no manifest"
if [[ $stripped == yes ]] && "$objdump" -h "$program" | grep -F .debug; then
  fail "debug information in a Release build"
fi
echo "the zip holds what it should, and its program runs"
