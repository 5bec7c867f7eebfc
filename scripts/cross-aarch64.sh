#!/usr/bin/env bash
# Cross-builds for 64-bit ARM with Debian's cross compiler and runs the unit and end-to-end tests
# under qemu-aarch64 (the NEON scans included). GoogleTest is built from Debian's sources; the
# integration tests (packaging, a consumer project) are left out, as they run the program from
# outside CMake's reach of the emulator.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh cmake ninja-build libboost-dev nlohmann-json3-dev googletest \
  g++-aarch64-linux-gnu libc6-dev-arm64-cross qemu-user groff-base
cmake --workflow --preset aarch64
