# Shared by the tests that take entries out of the show's pack. Sourced with $work set to the
# test's scratch folder and $velatool to the toolkit.

# Writes to OUT a copy of PACK without the entries named after them (each read back through
# the toolkit and stored as it is).
pack_without() {
  local pack=$1 out=$2
  shift 2
  local dir n=0 name skip args=()
  dir=$(mktemp -d -p "$work")
  while read -r name _; do
    for skip in "$@"; do [ "$name" = "$skip" ] && continue 2; done
    n=$((n + 1))
    "$velatool" pak extract "$pack" "$name" -o "$dir/$n"
    args+=("$name=$dir/$n")
  done < <("$velatool" pak list "$pack")
  "$velatool" pak create "$out" --method store "${args[@]}" >/dev/null
  rm -rf "$dir"
}
