#!/usr/bin/env bash
# The installed program: an installation into a scratch prefix holds both programs, the pack,
# a valid menu entry, the icon and the manual pages; the
# installed show, started from another folder, finds its pack there; without it (and without
# loose files), one line says where it looked.
set -euo pipefail
vela=$1
build=$(cd "$(dirname "$vela")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
export SDL_AUDIODRIVER=dummy

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
for file in bin/vela bin/velatool share/vela/VELA.PAK share/applications/vela.desktop \
            share/man/man6/vela.6 share/man/man1/velatool.1; do
  [ -s "$prefix/$file" ] || { echo "the installation lacks $file"; exit 1; }
done
[ -x "$prefix/bin/vela" ] && [ -x "$prefix/bin/velatool" ]
desktop-file-validate "$prefix/share/applications/vela.desktop"
icon=share/icons/hicolor/256x256/apps/vela.png
[ -s "$prefix/$icon" ] || { echo "the installation lacks $icon"; exit 1; }
identify -format '%wx%h' "$prefix/$icon" | grep -qx 256x256 || { echo "the icon is not 256x256"; exit 1; }
grep -q '^\.TH VELA "6"' "$prefix/share/man/man6/vela.6"
grep -q -- 'no\\-launcher' "$prefix/share/man/man6/vela.6"
grep -q '^\.TH VELATOOL "1"' "$prefix/share/man/man1/velatool.1"
# The velatool page gives every command's forms, from the commands' own usage, and its options
# as a section of their own.
for form in 'pak create OUT.PAK' 'pak extract PAK NAME' 'picture topng NAME' 'scene render NAME' \
            'effect OP' 'module render FILE.XM'; do
  grep -qF "$form" "$prefix/share/man/man1/velatool.1" || { echo "the velatool page lacks '$form'"; exit 1; }
done
grep -q '^\.SH OPTIONS' "$prefix/share/man/man1/velatool.1"

# From a folder of its own, the installed show finds the installed pack.
mkdir "$work/elsewhere"
cd "$work/elsewhere"
"$prefix/bin/vela" --headless --no-launcher b5 2>"$work/err" || { echo "the installed show failed"; cat "$work/err"; exit 1; }
if grep -q 'VELA.PAK' "$work/err"; then echo "the installed show did not find its pack:"; cat "$work/err"; exit 1; fi
"$prefix/bin/velatool" --version | grep -q '^velatool [0-9]'

# Without it (and no loose files), one line names where it looked, and the show ends with 2.
rm "$prefix/share/vela/VELA.PAK"
status=0
"$prefix/bin/vela" --headless --no-launcher b5 2>"$work/err" || status=$?
[ "$status" -eq 2 ] || { echo "no pack anywhere gave status $status"; cat "$work/err"; exit 1; }
[ "$(grep -c 'VELA.PAK' "$work/err")" -eq 1 ] || { echo "not one line about the missing pack:"; cat "$work/err"; exit 1; }
grep -q "no usable VELA.PAK in $work/elsewhere, $prefix/share/vela or $prefix/bin, and no loose files" "$work/err" || {
  cat "$work/err"
  exit 1
}
echo "installation: ok"
