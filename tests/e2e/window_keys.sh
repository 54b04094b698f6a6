#!/usr/bin/env bash
# The real window path under Xvfb, driven by a real X client: the show opens a window titled
# "Vela" at 320x240, F2 doubles it, F4 covers the screen with the picture shown (there is no
# window manager to carry out a full-screen request) and brings back the doubled window, F1
# brings back 320x240, Escape ends the program with status 0.
set -euo pipefail
vela=$1
work=$(mktemp -d)
cleanup() {
  [ -n "${vpid:-}" ] && kill "$vpid" 2>/dev/null || true
  [ -n "${xpid:-}" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

source "$(cd "$(dirname "$0")" && pwd)/lib/x_session.sh"
start_xvfb
use_x_session

cd "$work"
"$vela" --no-launcher --window --loop --no-sound --pack "$(dirname "$vela")/content/VELA.PAK" b1 >"$work/vela.out" 2>&1 &
vpid=$!

# The show's window, found by its title each time: an X window may be replaced while SDL
# sets up its renderer, so an id found once is not kept.
window_id() {
  xdotool search --name '^Vela$' 2>/dev/null | tail -n 1 || true
}

# Window size now, or nothing.
window_size() {
  local wid
  wid=$(window_id)
  [ -n "$wid" ] || return 0
  (xdotool getwindowgeometry "$wid" 2>/dev/null || true) | sed -n 's/.*Geometry: //p'
}

# True once the window's client area has the given size, within `tries` tenths of a second.
reaches_size() {
  local want=$1 tries=$2
  for _ in $(seq "$tries"); do
    [ "$(window_size)" = "$want" ] && return 0
    sleep 0.1
  done
  return 1
}

# Focuses the window and presses a key until the window has the given size (the size keys
# set a size, so pressing again is harmless when the first press was lost).
press_for_size() {
  local key=$1 want=$2 wid
  for _ in 1 2 3; do
    wid=$(window_id)
    if [ -n "$wid" ]; then
      xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid" 2>/dev/null || true
      xdotool key "$key" 2>/dev/null || true
    fi
    reaches_size "$want" 50 && return 0
  done
  echo "window size is '$(window_size)' after $key, expected $want"
  cat "$work/vela.out"
  exit 1
}

reaches_size 320x240 150 || {
  echo "no 320x240 window titled Vela on $DISPLAY (size '$(window_size)')"
  cat "$work/vela.out" "$work/xvfb.log"
  exit 1
}
press_for_size F2 640x480
press_for_size F4 1024x768
# Something of the show is on the screen, not a black full-screen window.
shown=0
for _ in $(seq 30); do
  if [ "$(import -window root -format '%[fx:maxima]' info: 2>/dev/null || echo 0)" != "0" ]; then shown=1; break; fi
  sleep 0.1
done
[ "$shown" -eq 1 ] || { echo "the full screen stays black"; cat "$work/vela.out"; exit 1; }
press_for_size F4 640x480
press_for_size F1 320x240

# Escape ends the show; a press that was lost is repeated.
for _ in 1 2 3; do
  wid=$(window_id)
  if [ -n "$wid" ]; then
    xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid" 2>/dev/null || true
    xdotool key Escape 2>/dev/null || true
  fi
  for _ in $(seq 50); do kill -0 "$vpid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$vpid" 2>/dev/null || break
done
if kill -0 "$vpid" 2>/dev/null; then echo "vela did not end after Escape"; cat "$work/vela.out"; exit 1; fi
status=0
wait "$vpid" || status=$?
vpid=""
[ "$status" -eq 0 ] || { echo "vela ended with status $status"; cat "$work/vela.out"; exit 1; }
echo "window path: ok"
