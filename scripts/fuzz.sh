#!/usr/bin/env bash
# Builds the libFuzzer target with clang (ASan + UBSan) and runs it for SECONDS (default 60) on a
# copy of the seed corpus in fuzz/corpus; fails on any finding. Findings are saved in
# build-fuzz/findings/.   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/findings
cp examples/grants.sql "$work/"  # the bundled example is a seed too
# A dictionary of every token and its parts, so that mutations reach real symbols quickly.
build-fuzz/wqnprep --list | cut -f1 | sed -E 's/^(.*)$/"\1"/' >"$work.dict"
build-fuzz/wqnprep --list | cut -f1 | grep -o '^[A-Za-z]*::' | sort -u | sed -E 's/^(.*)$/"\1"/' >>"$work.dict"
printf '"%s"\n' '-- wqnprep-ignore' '/* wqnprep-ignore' '-next-line' ': glued-token, ' '\xEF\xBB\xBF' \
  '\xFF\xFE' '\xFE\xFF' '\x00\xD8' '\xD8\x00' >>"$work.dict"
build-fuzz/fuzz/wqnprep_engine_fuzzer -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=build-fuzz/findings/ \
  -dict="$work.dict" "$work" fuzz/corpus >"$work.log" 2>&1 || { tail -40 "$work.log"; rm -f "$work.log" "$work.dict"; exit 1; }
grep -E 'stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$work.log"
grep -E 'DONE' "$work.log" | tail -1
rm -f "$work.log" "$work.dict"
echo "fuzzing: no findings in $seconds s"
