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
echo "package $(basename "$package"): $(wc -l <"$work/files") files as expected"
