#!/usr/bin/env bash
# The checks beyond the tests, as CI runs them: the whole test suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, static analysis, and fuzzing for a bounded time.
#   scripts/harden.sh [FUZZ_SECONDS]     (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh cmake ninja-build g++ libboost-dev nlohmann-json3-dev libgtest-dev \
  libgmock-dev groff-base clang clang-tidy cppcheck libclang-rt-14-dev

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --workflow --preset asan
echo "== static analysis"
scripts/analyze.sh
echo "== fuzzing"
scripts/fuzz.sh "${1:-60}"
