#!/usr/bin/env bash
# Cross-compiles the Windows program (build-windows/wqnprep.exe) with MinGW-w64 and runs the unit
# and end-to-end tests under Wine. Installs the Debian packages it needs and are missing.
# Extra arguments go to ctest (for instance -R WindowsEndToEnd).
set -euo pipefail
cd "$(dirname "$0")/.."
# groff-base renders the manual for the zip, which the zip test unpacks (unzip) and looks into
# (binutils' strings).
scripts/install-packages.sh cmake ninja-build libboost-dev nlohmann-json3-dev googletest \
  g++-mingw-w64-x86-64-posix wine wine64 groff-base unzip binutils
export WINEDEBUG=-all
cmake --preset windows >/dev/null
cmake --build --preset windows
# The first Wine start in a fresh prefix takes a while; pay for it here, not inside a test's limit.
wine build-windows/wqnprep.exe --version >/dev/null
ctest --preset windows "$@"
