#!/usr/bin/env bash
# velatool scene view under Xvfb, driven by real X keys: Space pauses, Right and Shift+Right step
# one and ten frames, C and W switch the camera and the wireframe; a pack rewritten on disk is
# loaded again on the same frame; a cut pack leaves the last good scene on screen and says why;
# Escape ends the viewer with status 0 and removes its copies of the pack. The window's picture
# is left in <build>/test-output/viewer/viewer.png.
set -euo pipefail
vela=$1
velatool=$2
work=$(mktemp -d)
cleanup() {
  [ -n "${tpid:-}" ] && kill "$tpid" 2>/dev/null || true
  [ -n "${xpid:-}" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

source "$(cd "$(dirname "$0")" && pwd)/lib/x_session.sh"
start_xvfb
use_x_session
shots=$(dirname "$vela")/test-output/viewer
mkdir -p "$shots"
cp "$(dirname "$vela")/content/VELA.PAK" "$work/V.PAK"
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"

"$velatool" scene view 'SCENES\Plan_1\PLAN1.FSF' --pack "$work/V.PAK" >"$work/view.out" 2>&1 &
tpid=$!
title='^velatool scene view'

# Waits up to `tenths` tenths of a second for a line of the viewer's report matching the pattern.
says_within() {
  local pattern=$1 tenths=$2
  for _ in $(seq "$tenths"); do
    grep -qE "$pattern" "$work/view.out" && return 0
    sleep 0.1
  done
  echo "the viewer did not report '$pattern'; it said:"
  cat "$work/view.out"
  return 1
}

wait_for_window "$title" 100 >/dev/null || { echo "no viewer window"; cat "$work/view.out"; exit 1; }
says_within '^view: loaded .*53 objects, 2 cameras, last frame 600' 50

type_into "$title" space
says_within '^view: paused at frame' 30
paused=$(sed -n 's/^view: paused at frame //p' "$work/view.out" | tail -n 1)
type_into "$title" Right
type_into "$title" shift+Right
says_within "^view: frame $(awk -v f="$paused" 'BEGIN { printf "%.1f", f + 11 }')\$" 30
type_into "$title" c w
says_within '^view: camera 0$' 30
says_within '^view: wireframe on$' 30
sleep 0.5
import -window root "$shots/viewer.png"

# The pack rewritten (a new file put in its place, as a build does): loaded again, same frame.
cp "$work/V.PAK" "$work/V.new" && mv "$work/V.new" "$work/V.PAK"
says_within "^view: reloaded .* at frame $(awk -v f="$paused" 'BEGIN { printf "%.1f", f + 11 }')\$" 50

# A cut pack: the last good scene stays and the reason is given; the viewer goes on.
head -c 100000 "$work/V.PAK" >"$work/V.cut" && mv "$work/V.cut" "$work/V.PAK"
says_within '^view: reload failed, the last good scene stays: .*V\.PAK: ' 50
kill -0 "$tpid" || { echo "the viewer ended on a cut pack"; cat "$work/view.out"; exit 1; }
type_into "$title" Right
says_within "^view: frame $(awk -v f="$paused" 'BEGIN { printf "%.1f", f + 12 }')\$" 30

status=0
for _ in 1 2 3; do
  type_into "$title" Escape || true
  ends_within "$tpid" 50 && break
done
wait "$tpid" || status=$?
tpid=
[ "$status" -eq 0 ] || { echo "the viewer ended with status $status"; cat "$work/view.out"; exit 1; }
leftovers=$(find "$TMPDIR" -name 'velatool-view-*' | wc -l)
[ "$leftovers" -eq 0 ] || { echo "the viewer left $leftovers copies of the pack"; exit 1; }
echo "ok: the viewer paused, stepped, switched camera and wireframe, reloaded, kept the last good scene and ended"
