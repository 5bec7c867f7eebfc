#!/usr/bin/env bash
# Commit hooks check what is committed: the repository's .pre-commit-hooks.yaml run by Debian's
# pre-commit (offline, through try-repo), and the README's hand-written hook. In a throwaway
# repository, each must stop a commit whose staged .sql file has a finding even when the working
# tree is fixed, let a clean one through, and take a file named -x.sql.
#   pre_commit_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
export PATH="$build:$PATH"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home" PRE_COMMIT_HOME="$scratch/cache" GIT_CONFIG_NOSYSTEM=1
mkdir "$HOME"
git config --global user.name test
git config --global user.email test@example.invalid
git config --global init.defaultBranch main
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The README's hook: the bash block after "A git pre-commit hook".
readme_hook() {
  awk '/^A git pre-commit hook/ { want = 1 } want && /^```bash$/ { inside = 1; next }
       inside && /^```$/ { exit } inside { print }' "$source/README.md"
}

# A fresh repository with one clean commit; `checker` runs the hook over what is staged.
fresh_repository() {
  rm -rf "$scratch/repo"
  git init -q "$scratch/repo"
  cd "$scratch/repo"
  printf 'SELECT 1;\n' >base.sql
  git add base.sql
  git commit -qm base --no-verify
}

# hook_of NAME: a command that runs that hook over the staged files and exits as a commit would.
run_hook() {
  case $1 in
    readme) .git/hooks/pre-commit ;;
    pre-commit) pre-commit try-repo "$source" wqnprep-check >"$scratch/log" 2>&1 || {
      cat "$scratch/log" >&2
      return 1
    } ;;
  esac
}

for hook in readme pre-commit; do
  fresh_repository
  if [[ $hook == readme ]]; then
    readme_hook >.git/hooks/pre-commit
    chmod +x .git/hooks/pre-commit
  fi
  # A typo staged, then fixed only in the working tree: what would be committed has it.
  printf 'UPDATE r SET rule = WQNRuleID::zzz;\n' >-x.sql
  git add -- -x.sql
  printf 'UPDATE r SET rule = WQNRuleID::applicableForAll;\n' >-x.sql
  if run_hook "$hook" 2>"$scratch/err"; then
    fail "$hook: the staged typo in -x.sql passed"
  elif ! grep -q -- "-x.sql:1:21: error: unknown enumerator 'zzz'" "$scratch/err" "$scratch/log" 2>/dev/null; then
    fail "$hook: the finding does not name -x.sql: $(cat "$scratch/err")"
  fi
  # Staged as fixed, the same commit passes.
  git add -- -x.sql
  run_hook "$hook" 2>"$scratch/err" || fail "$hook: a clean -x.sql was refused: $(cat "$scratch/err")"
  cmp -s -- -x.sql <(printf 'UPDATE r SET rule = WQNRuleID::applicableForAll;\n') ||
    fail "$hook: the working tree changed"
  cd /
done

((failures == 0)) || exit 1
echo "both hooks stop a staged typo and pass a clean commit"
