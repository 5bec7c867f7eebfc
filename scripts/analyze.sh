#!/usr/bin/env bash
# Static analysis of the first-party code; fails on any finding.
#   clang-tidy with the checks in .clang-tidy, over the compile commands of build/;
#   cppcheck (warning, style, performance, portability). useStlAlgorithm is left out: it asks for
#   std::transform over nested loops that read better as loops.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/compile_commands.json ] || cmake -S . -B build -G Ninja >/dev/null
# The Windows files (os/windows_*, app/main_windows.cpp) compile only for Windows: build/ has no
# compile commands for them, and clang-tidy could not read windows.h here.
sources=$(git ls-files 'app/*.cpp' ':!:app/main_windows.cpp' 'os/file.cpp' 'os/posix_*.cpp' 'findings/*.cpp' \
  'lsp/*.cpp' 'text/*.cpp' 'symbols/*.cpp' 'platform/*.cpp' 'bench/*.cpp')

echo "clang-tidy: $(echo "$sources" | wc -w) files"
echo "$sources" | xargs -P "$(nproc)" -n 4 clang-tidy -p build --quiet 2>/dev/null >build/clang-tidy.log || {
  grep -E 'warning:|error:' -A3 build/clang-tidy.log
  exit 1
}

echo "cppcheck"
cppcheck --enable=warning,style,performance,portability --std=c++20 --language=c++ \
  --error-exitcode=1 --inline-suppr --quiet --suppress=missingIncludeSystem \
  --suppress=useStlAlgorithm -I . app os findings lsp text symbols platform bench
echo "static analysis: no findings"
