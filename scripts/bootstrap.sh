#!/usr/bin/env bash
# Installs what is missing (Debian packages), then configures and builds into build/:
#
#     scripts/bootstrap.sh           the program and its manual page, nothing else
#     scripts/bootstrap.sh --tests   and all the tests need: GoogleTest, groff, dpkg-dev,
#                                    PostgreSQL (no cluster of its own), sqlite3, pre-commit, jq,
#                                    Neovim (the language server's editor test) and npm; builds the tests and benchmarks too
#
# Safe to run again: it installs nothing that is present and rebuilds incrementally.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(cmake ninja-build g++ libboost-dev nlohmann-json3-dev)
case "$*" in
  --tests)
    packages+=(libgtest-dev libgmock-dev groff-base dpkg-dev postgresql-15 sqlite3 pre-commit jq
              neovim)
    # Debian's npm, unless there is one: NodeSource's nodejs brings its own and conflicts with it.
    command -v npm >/dev/null || packages+=(npm)
    settings=(-DWQNPREP_BUILD_TESTS=ON -DWQNPREP_BUILD_BENCHMARKS=ON)
    target=all ;;
  '')
    # A new build folder gets the program alone; one set up with the tests keeps them.
    settings=()
    [ -f build/CMakeCache.txt ] ||
      settings=(-DWQNPREP_BUILD_TESTS=OFF -DWQNPREP_BUILD_BENCHMARKS=OFF)
    target=wqnprep ;;  # the manual page, build/wqnprep.1, is written when configuring
  *) echo "use: $0 [--tests]" >&2; exit 2 ;;
esac
scripts/install-packages.sh "${packages[@]}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "${settings[@]}" >/dev/null
cmake --build build --target "$target"
