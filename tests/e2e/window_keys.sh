#!/usr/bin/env bash
# The real window path under Xvfb, driven by a real X client: the show opens a window titled
# "Vela" at 320x240, F2 doubles it, F1 brings it back, Escape ends the program with status 0.
set -euo pipefail
vela=$1
work=$(mktemp -d)
cleanup() {
  [ -n "${vpid:-}" ] && kill "$vpid" 2>/dev/null || true
  [ -n "${xpid:-}" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Starts Xvfb and waits until it serves clients; a server that dies or never answers is
# replaced by a fresh one on another display, up to three times.
start_xvfb() {
  local attempt
  for attempt in 1 2 3; do
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xpid=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; kill -0 "$xpid" 2>/dev/null || break; sleep 0.1; done
    if [ -s "$work/display" ]; then
      export DISPLAY=":$(cat "$work/display")"
      for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        kill -0 "$xpid" 2>/dev/null || break
        sleep 0.1
      done
    fi
    echo "Xvfb attempt $attempt did not serve clients; its log:"
    cat "$work/xvfb.log"
    kill "$xpid" 2>/dev/null || true
    wait "$xpid" 2>/dev/null || true
    xpid=""
  done
  echo "Xvfb did not start"
  exit 1
}
start_xvfb
unset VELA_HEADLESS
# SDL must use the X server: a silent fallback to its offscreen driver would hide the window.
export SDL_VIDEODRIVER=x11
export SDL_AUDIODRIVER=dummy

cd "$work"
"$vela" --no-launcher --window --loop --no-sound b1 >"$work/vela.out" 2>&1 &
vpid=$!

# Waits until the window's client area has the given size.
wait_for_size() {
  local want=$1 got=""
  for _ in $(seq 100); do
    got=$(xdotool getwindowgeometry "$wid" 2>/dev/null | sed -n 's/.*Geometry: //p')
    [ "$got" = "$want" ] && return 0
    sleep 0.1
  done
  echo "window size is '$got', expected $want"
  cat "$work/vela.out"
  exit 1
}

wid=""
for _ in $(seq 100); do
  wid=$(xdotool search --name '^Vela$' 2>/dev/null | head -n 1 || true)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || { echo "no window titled Vela on $DISPLAY"; cat "$work/vela.out" "$work/xvfb.log"; exit 1; }
wait_for_size 320x240
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"

xdotool key F2
wait_for_size 640x480
xdotool key F1
wait_for_size 320x240

xdotool key Escape
status=0
for _ in $(seq 100); do kill -0 "$vpid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$vpid" 2>/dev/null; then echo "vela did not end after Escape"; exit 1; fi
wait "$vpid" || status=$?
vpid=""
[ "$status" -eq 0 ] || { echo "vela ended with status $status"; cat "$work/vela.out"; exit 1; }
echo "window path: ok"
