#!/usr/bin/env bash
# The programs' command lines: help, version, unknown options, the empty headless show, and
# the show's script run without a display.
set -euo pipefail
vela=$1
velatool=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=dummy

help=$("$vela" --help)
for option in --window --fullscreen --once --loop --priority --no-launcher --no-sound --pack --headless \
              --depth --no-mode --at --hud --help --version bN sN; do
  grep -q -- "$option" <<<"$help" || { echo "vela --help does not document $option"; exit 1; }
done
"$vela" --version | grep -q '^vela [0-9]'

# A usage error is its one line and where the usage is, not the whole help.
status=0
"$vela" --no-such-option >/dev/null 2>"$work/err" || status=$?
[ "$status" -eq 2 ] || { echo "unknown option gave status $status"; exit 1; }
grep -q "unknown option '--no-such-option'" "$work/err"
grep -q "^see 'vela --help'" "$work/err"
[ "$(wc -l <"$work/err")" -eq 2 ] || { echo "a usage error printed:"; cat "$work/err"; exit 1; }

# make run without a display: it says the show needs one and how to watch it as a video.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 bash "$(dirname "$0")/../../scripts/run-show" >/dev/null 2>"$work/err" || status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || { echo "run-show without a display gave status $status"; cat "$work/err"; exit 1; }
grep -q 'needs a display' "$work/err" && grep -q 'vela --capture show.mp4' "$work/err" || { cat "$work/err"; exit 1; }

# The empty headless show, and the same without a sound device, side by side (each plays the
# start-up in real time). Without a sound device the user reads our one "Sounderror" line, not
# the sound libraries' own diagnostics (ALSA prints several lines while SDL looks for a device).
"$vela" --headless --no-launcher b5 &
plain=$!
for driver in alsa none; do
  env SDL_AUDIODRIVER="${driver/none/}" "$vela" --headless --no-launcher b5 >/dev/null 2>"$work/err-$driver" &
done
wait "$plain"
wait
for driver in alsa none; do
  if grep -q 'ALSA lib' "$work/err-$driver"; then echo "ALSA's diagnostics reached the user:"; cat "$work/err-$driver"; exit 1; fi
done

# A moment past the show's end is refused once the show has run out, naming its length.
status=0
"$vela" --headless --no-sound --at 59:00 --fps 5 2>"$work/err" || status=$?
[ "$status" -eq 2 ] || { echo "--at past the end gave status $status"; cat "$work/err"; exit 1; }
grep -q "^vela: --at 59:00.0 is past the end of the show, which is [0-9]*:[0-5][0-9].[0-9] long$" "$work/err" || { cat "$work/err"; exit 1; }

status=0
"$vela" --headless --no-launcher --no-mode 320x240 --no-mode 320x200 2>"$work/err" || status=$?
[ "$status" -ne 0 ] || { echo "a show without a video mode reported success"; exit 1; }
grep -q 'try with univbe' "$work/err"

# Without a display and without --headless, the show refuses to play where nobody can see it.
status=0
env -u VELA_HEADLESS -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY=:none \
  "$vela" --no-launcher --no-sound b1 >/dev/null 2>"$work/err" || status=$?
[ "$status" -ne 0 ] || { echo "a show without a display reported success"; exit 1; }
grep -q 'no display to open a window on' "$work/err"

"$velatool" --help | grep -q '^Usage: velatool COMMAND'
"$velatool" --version | grep -q '^velatool [0-9]'
status=0
"$velatool" frobnicate 2>"$work/err" || status=$?
[ "$status" -eq 2 ]
# A bad command line is the problem and where the help is, not the help burying it.
printf "velatool: unknown command 'frobnicate'\nsee 'velatool --help'\n" | cmp -s - "$work/err" ||
  { echo "velatool's usage error is not its two lines:"; cat "$work/err"; exit 1; }
echo "command lines: ok"
