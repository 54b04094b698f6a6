#!/usr/bin/env bash
# A looping show in virtual time for three passes: the pool is back at its level after every
# pass, the process does not grow from the second pass on, and the flame tracks are re-phased
# 22 and 6 more times each pass; part four's four sections are timed apart. (The same with --passes 100 is the long run done by hand.)
set -euo pipefail
vela=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY
export SDL_AUDIODRIVER=dummy
pack="$(dirname "$vela")/content/VELA.PAK"
"$vela" --pack "$pack" --fast --fps 5 --loop --passes 3 --timings >"$work/out" 2>"$work/err"
grep '^pass ' "$work/out" >"$work/passes"
[ "$(wc -l <"$work/passes")" -eq 3 ] || { echo "expected three passes:"; cat "$work/out" "$work/err"; exit 1; }
awk '{
  # pass N: pool S bytes at the start, E at the end; resident R MiB; flame phases A and B
  if ($4 != $9) { print "pass " NR ": pool " $4 " at the start, " $9 " at the end"; bad = 1 }
  resident[NR] = $14; two[NR] = $18; three[NR] = $20
} END {
  if (resident[3] - resident[2] > 1.0) { print "resident memory grew by " resident[3] - resident[2] " MiB"; bad = 1 }
  for (p = 1; p <= 3; ++p) if (two[p] != 22 * p || three[p] != 6 * p) { print "pass " p ": flame phases " two[p] " and " three[p]; bad = 1 }
  exit bad
}' "$work/passes" || { cat "$work/out"; exit 1; }
# Part four's sections have their own rows (A to C draw; D, the music's end, may draw none)
# and their frames add up to the part's.
awk '$1 == "4" && NF >= 6 { part = $2 } $1 ~ /^4[A-D]$/ { sum += $2; rows++ }
  END { if (rows < 3 || sum != part) { print "section rows " rows ", frames " sum " of " part; exit 1 } }' "$work/out" \
  || { cat "$work/out"; exit 1; }
echo "long run: ok"
