#!/usr/bin/env bash
# The project's benchmark: wqnprep against cat and the line-by-line reference pass.
#   bench/run.sh [MEGABYTES] [RUNS]      (defaults: 200 MB, 7 runs)
# Builds a Release tree in build-bench/, generates the scripts deterministically in /dev/shm (or
# a temporary folder), checks that wqnprep and the reference give the same bytes, and prints
# median wall and processor time, throughput, peak resident memory and the ratio to cat, with the
# targets: realistic (MEGABYTES) <= 1.3 x cat, dense (MEGABYTES / 2) <= 1.6 x cat, peak memory
# <= 8 MiB on every row, --check on the clean realistic script <= 1.2 x the plain run to
# /dev/null. The cost of one run on a small script is bench/startup.sh's.
set -euo pipefail
cd "$(dirname "$0")/.."
megabytes=${1:-200}
runs=${2:-7}

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DWQNPREP_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench >/dev/null
bin=build-bench
tools=$bin/bench

if [ -d /dev/shm ] && [ -w /dev/shm ]; then work=$(mktemp -d /dev/shm/wqnprep-bench.XXXXXX)
else work=$(mktemp -d); fi
trap 'rm -rf "$work"' EXIT

# dense is half the size: its target is set for 100 MB out of the default 200.
"$tools/wqnprep_generate" realistic "$megabytes" "$work/realistic.sql"
"$tools/wqnprep_generate" dense $((megabytes / 2)) "$work/dense.sql"
"$tools/wqnprep_generate" longline 256 "$work/longline.sql"
"$tools/wqnprep_generate" unknown 1 "$work/unknown.sql"
: >"$work/empty.sql"

# measure RUNS INPUT COMMAND... -> "seconds rss_kib processor_seconds"
measure() { local n=$1; shift; "$tools/wqnprep_measure" "$n" "$work/out" "$@"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# paired INPUT: cat and wqnprep file to file, taken in turns (A B A B) so that a burst of load on
# the shared machine falls on both; prints "cat_s cat_cpu wqn_s wqn_cpu wqn_rss ratio", the
# medians of each and of the ratios of the pairs.
paired() {
  local run cat_s wqn_s cat_cpu wqn_cpu rss peak=0
  for ((run = 0; run < runs; ++run)); do
    read -r cat_s _ cat_cpu < <(measure 1 cat "$work/$1.sql")
    read -r wqn_s rss wqn_cpu < <(measure 1 "$bin/wqnprep" "$work/$1.sql" /dev/stdout)
    ((rss > peak)) && peak=$rss
    echo "$cat_s $cat_cpu $wqn_s $wqn_cpu $(awk -v w="$wqn_s" -v c="$cat_s" 'BEGIN { print w / c }')"
  done >"$work/pairs"
  local column
  for column in 1 2 3 4; do awk -v c=$column '{ print $c }' "$work/pairs" | median; done | tr '\n' ' '
  echo "$peak $(awk '{ print $5 }' "$work/pairs" | median)"
}

# row INPUT TOOL SECONDS PROCESSOR_SECONDS RSS_KIB RATIO TARGET
row() {
  local size; size=$(stat -c %s "$work/$1.sql")
  awk -v input="$1" -v tool="$2" -v s="$3" -v cpu="$4" -v rss="$5" -v ratio="$6" -v target="$7" \
    -v bytes="$size" 'BEGIN {
    verdict = target == "" ? "" : ratio <= target + 0 ? "met" : "MISSED"
    printf "| %-9s | %4.0f MB | %-9s | %8.4f | %8.4f | %8.0f | %8.1f | %5.2f | %-6s | %-6s |\n", input,
      bytes / 1048576, tool, s, cpu, bytes / s / 1048576, rss / 1024, ratio,
      target == "" ? "" : "<= " target, verdict }'
}

echo "$runs pairs, wall and processor (user + system) seconds, medians; x cat: median of the pairs' ratios"
echo "| input     | size    | tool      | wall s   | cpu s    |     MB/s | peak MiB | x cat | target | met    |"
echo "|-----------|---------|-----------|----------|----------|----------|----------|-------|--------|--------|"
ratios=""
peak_all=0
for input in realistic dense longline; do
  case $input in realistic) target=1.3 ;; dense) target=1.6 ;; *) target="" ;; esac
  read -r cat_s cat_cpu wqn_s wqn_cpu wqn_rss ratio < <(paired "$input")
  cp "$work/out" "$work/$input.fast"
  ((wqn_rss > peak_all)) && peak_all=$wqn_rss
  row "$input" cat "$cat_s" "$cat_cpu" 0 1 ""
  row "$input" wqnprep "$wqn_s" "$wqn_cpu" "$wqn_rss" "$ratio" "$target"
  if [ "$input" != longline ]; then
    read -r ref_s ref_rss ref_cpu < <(measure 1 "$tools/wqnprep_reference" "$work/$input.sql" /dev/stdout)
    cmp -s "$work/out" "$work/$input.fast" || { echo "outputs differ on $input" >&2; exit 1; }
    row "$input" reference "$ref_s" "$ref_cpu" "$ref_rss" "$(awk -v r="$ref_s" -v c="$cat_s" 'BEGIN { print r / c }')" ""
    ratios+=$(awk -v r="$ref_s" -v w="$wqn_s" -v i="$input" 'BEGIN { printf "%s: wqnprep %.0f x faster than the reference\\n", i, r / w }')
  fi
  rm -f "$work/$input.fast"
done
awk -v rss="$peak_all" 'BEGIN { printf "peak memory of wqnprep over these rows: %.1f MiB (target <= 8 MiB: %s)\n", rss / 1024, rss <= 8192 ? "met" : "MISSED" }'

# Findings: 1 MB of distinct unknown enumerators (about 21,000 findings), with and without
# --warn-unknown; both through sh so that each pays the same start-up.
read -r plain_s _ < <(measure 21 sh -c 'exec "$0" "$1" /dev/stdout 2>/dev/null' "$bin/wqnprep" "$work/unknown.sql")
read -r warn_s warn_rss _ < <(measure 21 sh -c 'exec "$0" --warn-unknown "$1" /dev/stdout 2>/dev/null' "$bin/wqnprep" "$work/unknown.sql")
findings=$("$bin/wqnprep" --warn-unknown "$work/unknown.sql" /dev/null 2>&1 | wc -l)

# --check on the clean realistic script against the plain run to /dev/null, on the same file and
# taken in turns, so that a burst of load on the shared machine falls on both: medians of each,
# and of the ratios of the pairs.
for ((run = 0; run < runs; ++run)); do
  read -r plain_run _ < <(measure 1 "$bin/wqnprep" "$work/realistic.sql" /dev/null)
  read -r check_run _ < <(measure 1 "$bin/wqnprep" --check "$work/realistic.sql")
  echo "$plain_run $check_run"
done >"$work/check-pairs"
plain_check_s=$(awk '{ print $1 }' "$work/check-pairs" | median)
check_s=$(awk '{ print $2 }' "$work/check-pairs" | median)
check_ratio=$(awk '{ print $2 / $1 }' "$work/check-pairs" | median)

read -r cat_s _ < <(measure 301 cat "$work/empty.sql")
read -r wqn_s wqn_rss _ < <(measure 301 "$bin/wqnprep" "$work/empty.sql" /dev/stdout)
printf "\n$ratios"
awk -v c="$cat_s" -v w="$wqn_s" -v rss="$wqn_rss" 'BEGIN {
  printf "\nempty input: cat %.2f ms, wqnprep %.2f ms (%+.2f ms), peak %.1f MiB\n", c * 1000, w * 1000, (w - c) * 1000, rss / 1024 }'
awk -v p="$plain_s" -v w="$warn_s" -v n="$findings" -v rss="$warn_rss" 'BEGIN {
  printf "1 MB of unknown enumerators (%d findings): plain %.1f ms, --warn-unknown %.1f ms (%.2f x), peak %.1f MiB\n", n, p * 1000, w * 1000, w / p, rss / 1024 }'
awk -v p="$plain_check_s" -v c="$check_s" -v r="$check_ratio" 'BEGIN {
  printf "realistic, clean: plain to /dev/null %.1f ms, --check %.1f ms (paired: %.2f x; target <= 1.2: %s)\n", p * 1000, c * 1000, r, r <= 1.2 ? "met" : "MISSED" }'

# The language server as an editor drives it, on 1 MB of the realistic script: completion, hover
# and diagnostics after a change (medians and maxima), and its memory over 10,000 edits.
"$tools/wqnprep_generate" realistic 1 "$work/lsp.sql"
echo
"$tools/wqnprep_lsp_session" "$bin/wqnprep" "$work/lsp.sql" 10000
