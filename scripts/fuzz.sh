#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for its share of SECONDS
# (default 60) on a copy of its seeds in fuzz/corpus/NAME/, with its dictionary fuzz/NAME.dict
# (and every symbol, for the targets that read scripts). Prints each target's inputs tried,
# exec/s and coverage; fails on any finding, saved in build-fuzz/findings/NAME-*.
#   scripts/fuzz.sh [SECONDS [TARGET...]]     (default: every target fuzz/CMakeLists.txt lists)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
declare -A symbols=()
targets=()
while read -r name flags; do
  targets+=("$name")
  if [[ $flags == *symbols* ]]; then symbols[$name]=1; fi
done <build-fuzz/fuzz/targets.txt
if (($# > 0)); then targets=("$@"); fi
share=$((seconds / ${#targets[@]}))
((share > 0)) || share=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/findings
# Every token and type name, so that mutations reach real symbols quickly.
build-fuzz/wqnprep --list | cut -f1 | sed -E 's/^(.*)$/"\1"/' >"$work/symbols.dict"
build-fuzz/wqnprep --list | cut -f1 | grep -o '^[A-Za-z]*::' | sort -u |
  sed -E 's/^(.*)$/"\1"/' >>"$work/symbols.dict"

failed=()
for name in "${targets[@]}"; do
  mkdir -p "$work/$name"
  cp -L fuzz/corpus/"$name"/* "$work/$name/"
  dict="$work/$name.dict"
  : >"$dict"
  if [[ -f fuzz/$name.dict ]]; then cat "fuzz/$name.dict" >>"$dict"; fi
  if [[ -n ${symbols[$name]:-} ]]; then cat "$work/symbols.dict" >>"$dict"; fi
  log="$work/$name.log"
  # -timeout: far above any input's time, also on a machine shared with builds.
  if ! "build-fuzz/fuzz/wqnprep_${name}_fuzzer" -max_total_time="$share" -max_len=4096 \
    -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$name-" -dict="$dict" "$work/$name" >"$log" 2>&1; then
    tail -40 "$log"
    failed+=("$name")
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  coverage=$(sed -nE 's/.*cov: ([0-9]+) ft: ([0-9]+).*/\1 edges, \2 features/p' "$log" | tail -1)
  echo "$name: ${runs:-?} inputs in $share s, ${rate:-?} exec/s, ${coverage:-no coverage}"
done
if ((${#failed[@]} > 0)); then
  echo "fuzzing: findings in ${failed[*]} (see build-fuzz/findings/)" >&2
  exit 1
fi
echo "fuzzing: no findings in $seconds s"
