#!/usr/bin/env bash
# Builds the Debian package from a build tree, checks what it installs, and has lintian check it
# when lintian is installed (CI installs it): any error or warning fails, and so does a missing
# hardening flag when the build is hardened.
#   package_test.sh BUILD_DIR HARDENED(ON|OFF)
set -euo pipefail
build=$1
hardened=${2:-OFF}
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
./usr/share/doc/wqnprep/changelog.Debian.gz
./usr/share/doc/wqnprep/copyright
./usr/share/lintian/overrides/wqnprep
./usr/share/man/man1/wqnprep.1.gz
LIST
diff "$work/expected" "$work/files" || fail "package file list"
dpkg-deb -x "$package" "$work/root"

# One version everywhere: the package's upstream part, the program, the manual page, the changelog.
version=$(dpkg-deb -f "$package" Version)
upstream=${version%-*}
[ "$upstream" != "$version" ] || fail "version $version has no Debian revision"
[ "$("$work/root/usr/bin/wqnprep" --version | head -n 1)" = "wqnprep $upstream" ] ||
  fail "packaged program version"
zcat "$work/root/usr/share/man/man1/wqnprep.1.gz" | grep -q "^\.TH WQNPREP 1 .* \"wqnprep $upstream\"" ||
  fail "manual page version"
zcat "$work/root/usr/share/doc/wqnprep/changelog.Debian.gz" | head -1 |
  grep -qF "wqnprep ($version) " || fail "changelog version"
dpkg-deb -f "$package" Depends | grep -q 'libc6 (>= ' || fail "Depends was not computed"

if command -v lintian >/dev/null; then
  # -I shows the informational tags, among them the hardening ones, without failing on them.
  if ! lintian -I --fail-on error,warning "$package" >"$work/lintian" 2>&1; then
    cat "$work/lintian" >&2; fail "lintian"
  fi
  if [ "$hardened" = ON ] && grep ' hardening-' "$work/lintian" >&2; then
    fail "the program lacks hardening flags"
  fi
  checked="lintian-clean"
else
  checked="lintian not installed, not checked"
fi
echo "package $(basename "$package"): $(wc -l <"$work/files") files as expected, $checked"
