#!/usr/bin/env bash
# --seconds in every mode, counted from the show's first part: in real time it ends the show,
# and in virtual time the start-up does not wait for the music's speed to be measured, so the
# show's first seconds are drawn. Headless real-time frames are paced (60 a second, or --fps),
# not drawn as fast as the machine can.
set -euo pipefail
vela=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=dummy
pack="$(dirname "$vela")/content/VELA.PAK"

# Frames of part N in a --timings table on standard input.
part_frames() { awk -v p="$1" '$1 == p && NF >= 6 { print $2 }'; }

# Real time: the start-up (about 12 s) and then 4 s of part one, at 60 and at 20 frames a
# second, both at once.
for fps in 60 20; do
  args=(--headless --no-launcher --no-sound --pack "$pack" --timings --seconds 4 b1)
  [ "$fps" = 60 ] || args+=(--fps "$fps")
  (status=0; timeout 40 "$vela" "${args[@]}" >"$work/out-$fps" 2>"$work/err-$fps" || status=$?; echo "$status" >"$work/status-$fps") &
done
wait
for fps in 60 20; do
  status=$(cat "$work/status-$fps")
  [ "$status" -eq 0 ] || { echo "--seconds 4 in real time ended with status $status"; cat "$work/err-$fps"; exit 1; }
  frames=$(part_frames 1 <"$work/out-$fps")
  [ -n "$frames" ] || { echo "no frames of part one:"; cat "$work/out-$fps"; exit 1; }
  # Paced: about fps x 4 frames (before, hundreds of thousands a minute).
  low=$((fps * 3)) high=$((fps * 5 + 30))
  [ "$frames" -ge "$low" ] && [ "$frames" -le "$high" ] || { echo "$frames frames in 4 s at --fps $fps"; cat "$work/out-$fps"; exit 1; }
done

# Virtual time: 10 s of show are 10 s of part one, drawn at 60 frames a second.
"$vela" --fast --pack "$pack" --timings --seconds 10 >"$work/out" 2>"$work/err"
frames=$(part_frames 1 <"$work/out")
[ "${frames:-0}" -ge 580 ] && [ "${frames:-0}" -le 610 ] || { echo "--fast --seconds 10 drew ${frames:-no} frames of part one"; cat "$work/out"; exit 1; }
echo "real-time limits: ok"
