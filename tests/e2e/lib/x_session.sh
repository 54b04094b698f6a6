# Shared by the tests that drive the real window path: an Xvfb of their own, and the windows
# looked up by title at every step (an X window may be replaced while SDL sets up, so an id
# found once is not kept). Sourced with $work set to the test's scratch folder.

# Starts Xvfb and waits until it serves clients; a server that dies or never answers is
# replaced by a fresh one on another display, up to three times. -noreset: without it the
# server resets when its last client leaves, and a client connecting during the reset is
# refused.
start_xvfb() {
  local attempt
  for attempt in 1 2 3; do
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
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

# SDL must use the X server: a silent fallback to its offscreen driver would hide the windows.
use_x_session() {
  unset VELA_HEADLESS
  export SDL_VIDEODRIVER=x11
  export SDL_AUDIODRIVER=dummy
}

# The id of a mapped window whose title matches the pattern, or nothing.
visible_window() {
  xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1 || true
}

# Waits up to `tenths` tenths of a second for such a window and prints its id; fails if none.
wait_for_window() {
  local pattern=$1 tenths=$2 wid
  for _ in $(seq "$tenths"); do
    wid=$(visible_window "$pattern")
    if [ -n "$wid" ]; then echo "$wid"; return 0; fi
    sleep 0.1
  done
  return 1
}

# True once the process has ended, within `tenths` tenths of a second.
ends_within() {
  local pid=$1 tenths=$2
  for _ in $(seq "$tenths"); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  ! kill -0 "$pid" 2>/dev/null
}

# Gives the window the keyboard and types the keys (a bare X server has no window manager to
# hand out the focus).
type_into() {
  local pattern=$1 wid
  shift
  wid=$(visible_window "$pattern")
  [ -n "$wid" ] || return 1
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid" 2>/dev/null || true
  xdotool key --delay 60 "$@" 2>/dev/null
}

# Size of a window now, as WIDTHxHEIGHT.
window_size() {
  (xdotool getwindowgeometry "$1" 2>/dev/null || true) | sed -n 's/.*Geometry: //p'
}

# The nice value of a process, from /proc.
nice_of() {
  awk '{ sub(/^.*\) /, ""); print $17 }' "/proc/$1/stat"
}

# Ends the show with Escape (repeated if a press is lost) and checks it ended with status 0.
end_show_with_escape() {
  local pid=$1 pattern=$2 status=0
  for _ in 1 2 3; do
    type_into "$pattern" Escape || true
    ends_within "$pid" 50 && break
  done
  if kill -0 "$pid" 2>/dev/null; then echo "vela did not end after Escape"; cat "$work/vela.out"; exit 1; fi
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { echo "vela ended with status $status"; cat "$work/vela.out"; exit 1; }
}
