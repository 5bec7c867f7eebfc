#!/usr/bin/env bash
# What one run costs on a small script, where build systems spend it: wqnprep against cp, and
# over many files against cp -R (-d) and cat (--check).
#   bench/startup.sh [PAIRS] [--check]        (default: 300 pairs)
# Builds a Release tree in build-bench/ (or takes the program from $WQNPREP), generates the
# inputs in /dev/shm (or a temporary folder), and runs the baseline and wqnprep alternately, PAIRS
# times each, on a 2 KB script, an empty file and a folder of 1,000 scripts of 2 KB (with -d, and
# with --check at the default -j and at -j 1). Prints median times, the ratio of the medians and
# the spread (interquartile range over the median). With --check, exits with status 1 when a ratio
# misses its target.
set -euo pipefail
cd "$(dirname "$0")/.."
pairs=300
check=false
for arg in "$@"; do
  case $arg in
    --check) check=true ;;
    *) pairs=$arg ;;
  esac
done

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DWQNPREP_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench >/dev/null
tools=build-bench/bench
wqnprep=${WQNPREP:-build-bench/wqnprep}

if [ -d /dev/shm ] && [ -w /dev/shm ]; then work=$(mktemp -d /dev/shm/wqnprep-startup.XXXXXX)
else work=$(mktemp -d); fi
trap 'rm -rf "$work"' EXIT

"$tools/wqnprep_generate" realistic 2 "$work/large.sql"
head -c 2048 "$work/large.sql" >"$work/small.sql"
: >"$work/empty.sql"
mkdir "$work/scripts"
# Whole lines of up to 2 KB, so that no token is cut in two and --check finds nothing.
head -c $((1100 * 2048)) "$work/large.sql" | split -C 2048 -a 4 --additional-suffix=.sql - \
  "$work/scripts/"
find "$work/scripts" -name '*.sql' | sort | tail -n +1001 | xargs -r rm --
"$wqnprep" "$work/small.sql" "$work/small.out"
"$tools/wqnprep_reference" "$work/small.sql" "$work/small.ref"
cmp -s "$work/small.out" "$work/small.ref" || { echo "outputs differ on small.sql" >&2; exit 1; }

# time PREPARE COMMAND... -> seconds of one run of COMMAND, after PREPARE (not timed)
time_one() { eval "$1"; shift; "$tools/wqnprep_measure" 1 /dev/null "$@" | cut -d' ' -f1; }

# pair NAME TARGET PREPARE_BASE BASE_COMMAND PREPARE_WQN WQN_ARGS: alternates the order in each
# pair so that drift in the machine's load falls on both sides alike. An empty TARGET only informs.
failed=0
pair() {
  local name=$1 target=$2 prep_cp=$3 base_command=$4 prep_wqn=$5 wqn_args=$6 i
  : >"$work/cp.times"
  : >"$work/wqn.times"
  for ((i = 0; i < pairs; i++)); do
    if ((i % 2 == 0)); then
      time_one "$prep_cp" $base_command >>"$work/cp.times"
      time_one "$prep_wqn" "$wqnprep" $wqn_args >>"$work/wqn.times"
    else
      time_one "$prep_wqn" "$wqnprep" $wqn_args >>"$work/wqn.times"
      time_one "$prep_cp" $base_command >>"$work/cp.times"
    fi
  done
  local result
  result=$(awk -v name="$name" -v target="$target" '
    function sort_and_quartiles(a, n, q,   i, j, t) {
      for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j > 0 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
      q[1] = a[int((n + 3) / 4)]; q[2] = a[int((n + 1) / 2)]; q[3] = a[int((3 * n + 1) / 4)]
    }
    FNR == NR { c[++n] = $1; next } { w[++m] = $1 }
    END {
      sort_and_quartiles(c, n, cq); sort_and_quartiles(w, m, wq)
      ratio = wq[2] / cq[2]
      printf "| %-28s | %7.3f ms (%3.0f%%) | %7.3f ms (%3.0f%%) | %+7.3f ms | %5.2f | %-7s | %s\n",
             name, cq[2] * 1000, (cq[3] - cq[1]) / cq[2] * 100, wq[2] * 1000,
             (wq[3] - wq[1]) / wq[2] * 100, (wq[2] - cq[2]) * 1000, ratio,
             target == "" ? "" : "<= " target, target == "" ? "" : ratio <= target ? "met" : "MISSED"
    }' "$work/cp.times" "$work/wqn.times")
  echo "$result"
  [[ $result == *MISSED ]] && failed=1
  return 0
}

echo "$pairs pairs; median (spread: interquartile range / median)"
echo "| input                        | cp, cp -R or cat  | wqnprep           | difference | x it  | target  |"
echo "|------------------------------|-------------------|-------------------|------------|-------|---------|"
pair "2 KB script" 1.15 "" "cp $work/small.sql $work/copy.sql" "" "$work/small.sql $work/out.sql"
pair "empty file" 1.15 "" "cp $work/empty.sql $work/copy.sql" "" "$work/empty.sql $work/out.sql"
scripts=$(echo "$work"/scripts/*.sql)
if "$wqnprep" --help | grep -q -- --output-dir; then
  pair "-d: 1,000 scripts, 2 KB" 1.0 'rm -rf "$work/copies"' "cp -R $work/scripts $work/copies" \
    'rm -rf "$work/outs"; mkdir "$work/outs"' "-d $work/outs $scripts"
else
  echo "| -d: 1,000 scripts, 2 KB      | skipped: no -d"
fi
if "$wqnprep" --help | grep -q -- --jobs; then
  pair "--check: 1,000 scripts" 1.0 "" "cat $scripts" "" "--check $scripts"
  pair "--check -j 1: 1,000 scripts" "" "" "cat $scripts" "" "--check -j 1 $scripts"
else
  echo "| --check: 1,000 scripts       | skipped: no --jobs"
fi

if $check && ((failed)); then
  echo "a target was missed" >&2
  exit 1
fi
