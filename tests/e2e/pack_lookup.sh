#!/usr/bin/env bash
# The show's pack on the command line: a --pack that cannot be used stops the show at once
# with one line naming it and status 2; a usable one plays without a word about the pack; the
# built program finds the build's generated pack from any folder.
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

"$vela" --headless --no-launcher --pack "$build/content/VELA.PAK" b5 2>"$work/err"
if grep -q 'pack archive\|VELA.PAK' "$work/err"; then cat "$work/err"; exit 1; fi

# No VELA.PAK here: the build's own is found, silently. (--headless alone also skips the
# launcher: no dialog is tried.)
"$vela" --headless b5 2>"$work/err"
if grep -q 'VELA.PAK\|launcher' "$work/err"; then cat "$work/err"; exit 1; fi
echo "pack lookup: ok"
