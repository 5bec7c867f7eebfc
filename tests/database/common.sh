# Shared by the database tests: failures, the symbol values from wqnprep --list, and the
# migration files each database loads.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Fills the associative array `value` (declare -A value first) with token -> value from --list.
read_symbol_values() {
  local wqnprep=$1 token text
  while IFS=$'\t' read -r token text; do
    value[$token]=$text
  done < <("$wqnprep" --list)
  ((${#value[@]} > 0)) || fail "'$wqnprep --list' printed no symbols"
}

# The migration files of one kind, in order: `postgresql` for the files named *.postgresql.sql,
# which only PostgreSQL loads, `portable` for all others. Every database loads the portable files
# first, so PostgreSQL-only files must come after them.
migration_files() {
  local kind=$1 folder=$2 file seen_postgresql=
  for file in "$folder"/[0-9]*.sql; do
    [ -e "$file" ] || fail "no migrations in '$folder'"
    case $file in
      *.postgresql.sql)
        seen_postgresql=$file
        [ "$kind" = postgresql ] || continue ;;
      *)
        [ -z "$seen_postgresql" ] || fail "'$file' comes after the PostgreSQL-only '$seen_postgresql'"
        [ "$kind" = portable ] || continue ;;
    esac
    printf '%s\n' "$file"
  done
}

# Removes the blanks around $1.
trim() {
  local text=$1
  text=${text#"${text%%[![:space:]]*}"}
  printf '%s' "${text%"${text##*[![:space:]]}"}"
}
