#!/usr/bin/env bash
# The show's pack on the command line: a --pack that cannot be used stops the show at once
# with one line naming it and status 2; a usable one plays without a word about the pack; the
# built program finds the build's generated pack from any folder; with no usable pack and no
# loose files the show names the damage or the places it looked in, with status 2.
set -euo pipefail
vela=$1
build=$(cd "$(dirname "$vela")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=dummy

: >empty.pak
mkdir folder
for bad in missing.pak empty.pak folder; do
  status=0
  "$vela" --headless --no-launcher --pack "$bad" b5 >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq 2 ] || { echo "--pack $bad gave status $status"; cat "$work/err"; exit 1; }
  [ "$(wc -l <"$work/err")" -eq 1 ] || { echo "--pack $bad: not one line:"; cat "$work/err"; exit 1; }
  grep -q "^vela: cannot use the pack archive '$bad': " "$work/err" || { cat "$work/err"; exit 1; }
  [ ! -s "$work/out" ] || { echo "--pack $bad: the show started"; cat "$work/out"; exit 1; }
done

# A usable pack named, and none named, side by side (each plays the start-up in real time).
# With none named and no VELA.PAK here, the build's own is found, silently. (--headless alone
# also skips the launcher: no dialog is tried.)
"$vela" --headless --no-launcher --pack "$build/content/VELA.PAK" b5 2>"$work/err-named" &
named=$!
"$vela" --headless b5 2>"$work/err-found" &
found=$!
wait "$named"
wait "$found"
if grep -q 'pack archive\|VELA.PAK' "$work/err-named"; then cat "$work/err-named"; exit 1; fi
if grep -q 'VELA.PAK\|launcher' "$work/err-found"; then cat "$work/err-found"; exit 1; fi

# A file that is not a pack archive, with no loose files to stand in: the show says which file
# is damaged and how, and ends with status 2 before it plays anything.
head -c 5000 /dev/urandom >random.bin
status=0
"$vela" --headless --no-launcher --pack random.bin >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 2 ] || { echo "--pack random.bin gave status $status"; cat "$work/err"; exit 1; }
grep -q "^vela: random.bin: damaged pack archive (.*), and no loose files in the working folder" "$work/err" || {
  cat "$work/err"
  exit 1
}

# A copied program with no pack in any of its places and no loose files names the places.
mkdir -p copy/bin empty
cp "$vela" copy/bin/vela
cd empty
status=0
"$work/copy/bin/vela" --headless --no-launcher >"$work/out" 2>"$work/err" || status=$?
cd "$work"
[ "$status" -eq 2 ] || { echo "no pack anywhere gave status $status"; cat "$work/err"; exit 1; }
grep -q "^vela: no usable VELA.PAK in $work/empty, $work/copy/share/vela or $work/copy/bin, and no loose files in the working folder $work/empty$" "$work/err" || {
  cat "$work/err"
  exit 1
}
if grep -q 'File error' "$work/err"; then cat "$work/err"; exit 1; fi
echo "pack lookup: ok"
