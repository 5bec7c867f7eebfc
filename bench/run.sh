#!/usr/bin/env bash
# The project's benchmark: wqnprep against cat and the line-by-line reference pass.
#   bench/run.sh [MEGABYTES] [RUNS]      (defaults: 200 MB, 7 runs)
# Builds a Release tree in build-bench/, generates the scripts deterministically in /dev/shm (or
# a temporary folder), checks that wqnprep and the reference give the same bytes, and prints
# median wall time, throughput, peak resident memory and the ratio to cat.
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

"$tools/wqnprep_generate" realistic "$megabytes" "$work/realistic.sql"
"$tools/wqnprep_generate" dense "$megabytes" "$work/dense.sql"
"$tools/wqnprep_generate" longline 256 "$work/longline.sql"
"$tools/wqnprep_generate" unknown 1 "$work/unknown.sql"
: >"$work/empty.sql"

# measure RUNS INPUT COMMAND... -> "seconds rss_kib"
measure() { local n=$1; shift; "$tools/wqnprep_measure" "$n" "$work/out" "$@"; }

row() {  # row INPUT TOOL SECONDS RSS CAT_SECONDS
  local size; size=$(stat -c %s "$work/$1.sql")
  awk -v input="$1" -v tool="$2" -v s="$3" -v rss="$4" -v cat="$5" -v bytes="$size" 'BEGIN {
    printf "| %-9s | %-9s | %9.4f | %8.0f | %8.1f | %7.2f |\n", input, tool, s, bytes / s / 1048576, rss / 1024, s / cat }'
}

echo "| input     | tool      | median s |     MB/s | peak MiB | x cat   |"
echo "|-----------|-----------|----------|----------|----------|---------|"
ratios=""
for input in realistic dense; do
  read -r cat_s cat_rss < <(measure "$runs" cat "$work/$input.sql")
  read -r wqn_s wqn_rss < <(measure "$runs" "$bin/wqnprep" "$work/$input.sql" /dev/stdout)
  cp "$work/out" "$work/$input.fast"
  read -r ref_s ref_rss < <(measure 1 "$tools/wqnprep_reference" "$work/$input.sql" /dev/stdout)
  cmp -s "$work/out" "$work/$input.fast" || { echo "outputs differ on $input" >&2; exit 1; }
  row "$input" cat "$cat_s" "$cat_rss" "$cat_s"
  row "$input" wqnprep "$wqn_s" "$wqn_rss" "$cat_s"
  row "$input" reference "$ref_s" "$ref_rss" "$cat_s"
  rm -f "$work/$input.fast"
  ratios+=$(awk -v r="$ref_s" -v w="$wqn_s" -v i="$input" 'BEGIN { printf "%s: wqnprep %.0f x faster than the reference\\n", i, r / w }')
done
read -r cat_s cat_rss < <(measure "$runs" cat "$work/longline.sql")
read -r wqn_s wqn_rss < <(measure "$runs" "$bin/wqnprep" "$work/longline.sql" /dev/stdout)
row longline cat "$cat_s" "$cat_rss" "$cat_s"
row longline wqnprep "$wqn_s" "$wqn_rss" "$cat_s"

# Findings: 1 MB of distinct unknown enumerators (about 21,000 findings), with and without
# --warn-unknown; both through sh so that each pays the same start-up.
read -r plain_s _ < <(measure 21 sh -c 'exec "$0" "$1" /dev/stdout 2>/dev/null' "$bin/wqnprep" "$work/unknown.sql")
read -r warn_s warn_rss < <(measure 21 sh -c 'exec "$0" --warn-unknown "$1" /dev/stdout 2>/dev/null' "$bin/wqnprep" "$work/unknown.sql")
findings=$("$bin/wqnprep" --warn-unknown "$work/unknown.sql" /dev/null 2>&1 | wc -l)

# --check on the clean realistic script against the plain run to /dev/null, on the same file and
# taken in turns, so that a burst of load on the shared machine falls on both: medians of each,
# and of the ratios of the pairs.
for ((run = 0; run < runs; ++run)); do
  read -r plain_run _ < <(measure 1 "$bin/wqnprep" "$work/realistic.sql" /dev/null)
  read -r check_run _ < <(measure 1 "$bin/wqnprep" --check "$work/realistic.sql")
  echo "$plain_run $check_run"
done >"$work/check-pairs"
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
plain_check_s=$(awk '{ print $1 }' "$work/check-pairs" | median)
check_s=$(awk '{ print $2 }' "$work/check-pairs" | median)
check_ratio=$(awk '{ print $2 / $1 }' "$work/check-pairs" | median)

read -r cat_s _ < <(measure 301 cat "$work/empty.sql")
read -r wqn_s wqn_rss < <(measure 301 "$bin/wqnprep" "$work/empty.sql" /dev/stdout)
printf "\n$ratios"
awk -v c="$cat_s" -v w="$wqn_s" -v rss="$wqn_rss" 'BEGIN {
  printf "\nempty input: cat %.2f ms, wqnprep %.2f ms (%+.2f ms), peak %.1f MiB\n", c * 1000, w * 1000, (w - c) * 1000, rss / 1024 }'
awk -v p="$plain_s" -v w="$warn_s" -v n="$findings" -v rss="$warn_rss" 'BEGIN {
  printf "1 MB of unknown enumerators (%d findings): plain %.1f ms, --warn-unknown %.1f ms (%.2f x), peak %.1f MiB\n", n, p * 1000, w * 1000, w / p, rss / 1024 }'
awk -v p="$plain_check_s" -v c="$check_s" -v r="$check_ratio" 'BEGIN {
  printf "realistic, clean: plain to /dev/null %.1f ms, --check %.1f ms (paired: %.2f x)\n", p * 1000, c * 1000, r }'

# The language server as an editor drives it, on 1 MB of the realistic script: completion, hover
# and diagnostics after a change (medians and maxima), and its memory over 10,000 edits.
"$tools/wqnprep_generate" realistic 1 "$work/lsp.sql"
echo
"$tools/wqnprep_lsp_session" "$bin/wqnprep" "$work/lsp.sql" 10000
