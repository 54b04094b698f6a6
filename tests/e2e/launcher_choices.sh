#!/usr/bin/env bash
# The launcher's choices reach the show: "Full Screen Mode" and "Loop animation" clicked with
# the mouse, then START, give a full-screen show that plays again and again; "Low Priority"
# chosen with the keyboard (Tab into the radio group, arrows down) gives the show the lowest
# priority.
set -euo pipefail
vela=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
vpid=""
xpid=""
cleanup() {
  [ -n "$vpid" ] && kill "$vpid" 2>/dev/null || true
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# shellcheck source=lib/x_session.sh
source "$here/lib/x_session.sh"
start_xvfb
use_x_session
cd "$work"
DIALOG='^Vela - '
SHOW='^Vela$'

start_vela() {
  VELA_TRACE=1 "$vela" --no-sound "$@" >"$work/vela.out" 2>&1 &
  vpid=$!
  wid=$(wait_for_window "$DIALOG" 300) || { echo "no launcher dialog appeared"; cat "$work/vela.out"; exit 1; }
}

# Whether the box or radio button whose inside is the w x h area at (x, y) of the dialog is
# ticked: its mark is gold, brighter in red than anything else drawn there.
ticked() {
  local red
  red=$(timeout 10 import -window "$wid" -crop "$3x$4+$1+$2" +repage -format '%[fx:int(maxima.r*255)]' info: 2>/dev/null || true)
  [ -n "$red" ] && [ "$red" -gt 210 ]
}

# Clicks a check box at its centre until it shows ticked (a lost click is repeated).
tick_box() {
  local x=$1 y=$2
  for _ in 1 2 3; do
    xdotool mousemove --window "$wid" "$x" "$y" click 1
    for _ in $(seq 20); do ticked $((x - 4)) $((y - 4)) 8 8 && return 0; sleep 0.1; done
  done
  echo "the box at $x,$y does not tick"
  exit 1
}

# --- Full screen and loop by mouse ---------------------------------------------------------
# b4: a pass plays the last part only, so a show that loops is still there after several.
start_vela b4
tick_box 26 20 # "Full Screen Mode": its box's centre, near (13 + 4, 8 + 4) dialog units
tick_box 26 44 # "Loop animation"
for _ in 1 2 3; do
  xdotool mousemove --window "$wid" 270 28 click 1 # START
  wait_for_window "$SHOW" 50 >/dev/null && break
done
wait_for_window "$SHOW" 300 >/dev/null || { echo "no show after START"; cat "$work/vela.out"; exit 1; }
for _ in $(seq 50); do grep -q 'WINDOW RECT: \[0,0,1024,768\]' "$work/vela.out" && break; sleep 0.1; done
grep -q 'WINDOW RECT: \[0,0,1024,768\]' "$work/vela.out" || {
  echo "the show did not go full screen"
  cat "$work/vela.out"
  exit 1
}
sleep 7
kill -0 "$vpid" 2>/dev/null || { echo "the show ended instead of looping"; cat "$work/vela.out"; exit 1; }
end_show_with_escape "$vpid" "$SHOW"
vpid=""

# --- Low priority by keyboard ---------------------------------------------------------------
start_vela b4
type_into "$DIALOG" Tab Tab Tab Tab Down Down
# "Low Priority": its radio's centre, (13 + 4, 88 + 4) dialog units.
for _ in $(seq 30); do ticked 24 148 4 4 && break; sleep 0.1; done
ticked 24 148 4 4 || { echo "Tab and the arrows did not check Low Priority"; exit 1; }
for _ in 1 2 3; do
  type_into "$DIALOG" Return || true
  wait_for_window "$SHOW" 50 >/dev/null && break
done
wait_for_window "$SHOW" 300 >/dev/null || { echo "no show after Enter"; cat "$work/vela.out"; exit 1; }
got=$(nice_of "$vpid")
[ "$got" = 19 ] || { echo "the show runs at nice $got, not 19"; exit 1; }
# At the lowest priority on a busy machine the show may get too little time to answer Escape
# or a polite signal soon: it is ended here at once.
kill -KILL "$vpid"
wait "$vpid" 2>/dev/null || true
vpid=""
echo "launcher choices: ok"
