#!/usr/bin/env bash
# Installs wqnprep from a build tree, builds examples/consumer against it and checks that the
# build redoes exactly the scripts that changed, and that a --strict failure leaves nothing that
# looks up to date.   consumer_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
redone() { grep -c 'Preprocessing' "$1" || true; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cp -r "$source/examples/consumer" "$work/consumer"
cmake -S "$work/consumer" -B "$work/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null

cmake --build "$work/build" >"$work/first.log"
[ "$(redone "$work/first.log")" = 2 ] || fail "first build did not preprocess both scripts"
diff -r "$work/build/scripts" "$work/consumer/expected" || fail "outputs differ from expected/"

cmake --build "$work/build" >"$work/unchanged.log"
[ "$(redone "$work/unchanged.log")" = 0 ] || fail "an unchanged tree was preprocessed again"

sleep 1  # a newer modification time on any file system
touch "$work/consumer/sql/grants.sql"
cmake --build "$work/build" >"$work/touched.log"
[ "$(redone "$work/touched.log")" = 1 ] || fail "touching one script did not redo exactly one"
grep -q 'Preprocessing sql/grants.sql' "$work/touched.log" || fail "the wrong script was redone"

# An unknown enumerator fails the build under --strict, and keeps failing until it is fixed.
sleep 1
echo "SELECT WQNRuleID::applicableForEverything;" >>"$work/consumer/sql/environments.sql"
for attempt in 1 2; do
  if cmake --build "$work/build" >"$work/strict.log" 2>&1; then fail "attempt $attempt: the build passed"; fi
  grep -q "unknown enumerator 'applicableForEverything' of 'WQNRuleID'" "$work/strict.log" ||
    fail "attempt $attempt: no diagnostic"
done
diff "$work/build/scripts/sql/environments.sql" "$work/consumer/expected/sql/environments.sql" ||
  fail "a failed run changed the output"
echo "consumer project: builds, rebuilds only what changed, fails on unknown enumerators"
