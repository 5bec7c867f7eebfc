#!/usr/bin/env bash
# Installs what the build needs and is missing (Debian packages), then configures and builds
# into build/. Safe to run again: it installs nothing that is present and rebuilds incrementally.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh cmake ninja-build g++ libboost-dev libgtest-dev libgmock-dev groff-base \
  dpkg-dev postgresql-15 sqlite3
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build
