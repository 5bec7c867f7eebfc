#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks what it installs.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >/dev/null
package=$(ls "$work"/*.deb)
[ "$(dpkg-deb -f "$package" Package)" = wqnprep ] || fail "package name"
# The exported targets' file is named after the build type.
dpkg-deb -c "$package" | awk '{ print $NF }' | grep -v '/$' |
  sed 's/wqnprepTargets-[a-z]*\.cmake$/wqnprepTargets-BUILDTYPE.cmake/' | sort >"$work/files"
cat >"$work/expected" <<'LIST'
./usr/bin/wqnprep
./usr/lib/cmake/wqnprep/wqnprepConfig.cmake
./usr/lib/cmake/wqnprep/wqnprepConfigVersion.cmake
./usr/lib/cmake/wqnprep/wqnprepFunctions.cmake
./usr/lib/cmake/wqnprep/wqnprepTargets-BUILDTYPE.cmake
./usr/lib/cmake/wqnprep/wqnprepTargets.cmake
./usr/share/man/man1/wqnprep.1
LIST
diff "$work/expected" "$work/files" || fail "package file list"
dpkg-deb -x "$package" "$work/root"
[ "$("$work/root/usr/bin/wqnprep" --version | head -n 1)" = "wqnprep $(dpkg-deb -f "$package" Version)" ] ||
  fail "packaged program version"
# It depends on the packages of exactly the shared libraries the program loads.
owner() { dpkg -S "$1" 2>/dev/null || dpkg -S "/usr$1" 2>/dev/null || dpkg -S "${1#/usr}"; }
ldd "$work/root/usr/bin/wqnprep" | awk '{ for (i = 1; i <= NF; i++) if ($i ~ /^\//) print $i }' |
  while read -r library; do owner "$library" | head -n 1 | cut -d: -f1; done | sort -u >"$work/loads"
dpkg-deb -f "$package" Depends | tr ',' '\n' | awk 'NF { print $1 }' | sort -u >"$work/depends"
diff "$work/loads" "$work/depends" || fail "package dependencies"
echo "package $(basename "$package"): $(wc -l <"$work/files") files as expected"
