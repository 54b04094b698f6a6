#!/usr/bin/env bash
# The launcher dialog on a real X server, driven by a real X client: it appears alone, with its
# title and size, and looks like its reference picture; Enter starts the show in a window at
# high priority; CANCEL, a close request and Escape end the program with status 0 without the
# show's window ever appearing, and SIGTERM ends it with status 143.
#
# The reference is tests/reference/launcher/dialog.png; VELA_UPDATE_REFERENCES=1 stores the
# picture taken instead. Every run leaves it in <build>/test-output/launcher/dialog.png.
set -euo pipefail
vela=$1
closer=$3
here=$(cd "$(dirname "$0")" && pwd)
reference=$here/../reference/launcher/dialog.png
output=$(cd "$(dirname "$vela")" && pwd)/test-output/launcher
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
  "$vela" --no-sound "$@" >"$work/vela.out" 2>&1 &
  vpid=$!
}

# Waits for the dialog (a loaded machine may take a while to start the program) and checks
# that it is alone on the screen.
wait_for_dialog() {
  wid=$(wait_for_window "$DIALOG" 300) || { echo "no launcher dialog appeared"; cat "$work/vela.out"; exit 1; }
  if [ -n "$(visible_window "$SHOW")" ]; then echo "the show's window is visible beside the dialog"; exit 1; fi
}

# Checks that the program ends with status 0 after `what`, and that the show's window never
# appears meanwhile.
ends_without_show() {
  local what=$1 status=0
  for _ in $(seq 150); do
    if [ -n "$(visible_window "$SHOW")" ]; then echo "the show's window appeared after $what"; exit 1; fi
    kill -0 "$vpid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$vpid" 2>/dev/null; then echo "vela still runs after $what"; cat "$work/vela.out"; exit 1; fi
  wait "$vpid" || status=$?
  vpid=""
  [ "$status" -eq 0 ] || { echo "vela ended with status $status after $what"; cat "$work/vela.out"; exit 1; }
}

# Pixels that differ by more than the fuzz between the reference and the picture taken.
differing_pixels() {
  compare -metric AE -fuzz 12% "$reference" "$1" null: 2>&1 >/dev/null | sed 's/ .*//' || true
}

# --- Appearance ---------------------------------------------------------------------------
start_vela
wait_for_dialog
size=$(window_size "$wid")
[ "$size" = "416x206" ] || { echo "the dialog is $size, not 416x206 (277 x 127 dialog units)"; exit 1; }
xdotool mousemove 0 0
mkdir -p "$output"
# The picture is taken again until it matches: the first may predate the dialog's drawing.
allowed=$((416 * 206 / 100))
diff=""
for _ in $(seq 20); do
  sleep 0.3
  timeout 10 import -window "$wid" "$work/dialog.png" 2>/dev/null || continue
  cp "$work/dialog.png" "$output/dialog.png"
  [ "${VELA_UPDATE_REFERENCES:-}" = 1 ] && break
  diff=$(differing_pixels "$work/dialog.png")
  if [[ "$diff" =~ ^[0-9]+$ ]] && [ "$diff" -le "$allowed" ]; then break; fi
done
if [ "${VELA_UPDATE_REFERENCES:-}" = 1 ]; then
  mkdir -p "$(dirname "$reference")"
  cp "$work/dialog.png" "$reference"
  echo "stored $reference: look at it before committing"
elif ! [[ "$diff" =~ ^[0-9]+$ ]] || [ "$diff" -gt "$allowed" ]; then
  echo "the dialog differs from $reference in '$diff' pixels (at most $allowed allowed);"
  echo "the picture taken is $output/dialog.png; VELA_UPDATE_REFERENCES=1 stores it"
  exit 1
fi

# --- Enter: START, in a window, at high priority ------------------------------------------
# A lost key press is repeated (the show's window would be there once one arrived).
for _ in 1 2 3; do
  type_into "$DIALOG" Return || true
  wait_for_window "$SHOW" 50 >/dev/null && break
done
show=$(wait_for_window "$SHOW" 300) || { echo "no show window after Enter"; cat "$work/vela.out"; exit 1; }
if [ -n "$(visible_window "$DIALOG")" ]; then echo "the dialog stays up beside the show"; exit 1; fi
for _ in $(seq 50); do [ "$(window_size "$show")" = "320x240" ] && break; sleep 0.1; done
[ "$(window_size "$show")" = "320x240" ] || { echo "the show's window is $(window_size "$show")"; exit 1; }
# High priority is nice -10, which only root may take; for others the refusal is ignored.
if [ "$(id -u)" -eq 0 ]; then want=-10; else want=$(nice_of $$); fi
got=$(nice_of "$vpid")
[ "$got" = "$want" ] || { echo "the show runs at nice $got, not $want"; exit 1; }
end_show_with_escape "$vpid" "$SHOW"
vpid=""

# --- CANCEL, the close request and Escape --------------------------------------------------
start_vela
wait_for_dialog
# CANCEL's centre: (214 + 26, 5 + 12) dialog units. A lost click is repeated.
for _ in 1 2 3; do
  xdotool mousemove --window "$wid" 360 28 click 1
  ends_within "$vpid" 30 && break
done
ends_without_show "CANCEL"

start_vela
wait_for_dialog
"$closer" "$wid"
ends_without_show "a close request"

start_vela
wait_for_dialog
for _ in 1 2 3; do
  type_into "$DIALOG" Escape || true
  ends_within "$vpid" 30 && break
done
ends_without_show "Escape"

# A stop signal at the dialog ends the program as CANCEL does, with the status that names it.
start_vela
wait_for_dialog
kill -TERM "$vpid"
ends_within "$vpid" 50 || { echo "vela still runs at its dialog after SIGTERM"; exit 1; }
status=0
wait "$vpid" || status=$?
vpid=""
[ "$status" -eq 143 ] || { echo "SIGTERM at the dialog gave status $status"; cat "$work/vela.out"; exit 1; }
[ -z "$(visible_window "$SHOW")" ] || { echo "the show's window appeared after SIGTERM"; exit 1; }
echo "launcher dialog: ok"
