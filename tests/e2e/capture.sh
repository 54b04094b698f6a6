#!/usr/bin/env bash
# Capture to video: an MP4 that ffprobe reads back with the right length, size and an audio
# stream as long as the video; lossless captures that are the same bytes every time; a picture
# series with its sound; the container follows the file's name; a frame-hash list the same as
# the whole-show test's for the same run, and one that cannot be written a failure naming it;
# bad arguments and options that contradict each other refused with one clear line and status 2.
set -euo pipefail
vela=$1
stored="$(cd "$(dirname "$0")/../reference/show" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY
export SDL_AUDIODRIVER=dummy
pack="$(dirname "$vela")/content/VELA.PAK"

"$vela" --pack "$pack" --capture short.mp4 --fps 10 --scale 1 --seconds 3 b1 2>"$work/err"
if command -v ffprobe >/dev/null; then
  info=$(ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,duration -of csv=p=0 short.mp4)
  grep -q '^h264,video,320,240' <<<"$info" || { echo "video stream: $info"; exit 1; }
  grep -q '^aac,audio' <<<"$info" || { echo "no audio stream: $info"; exit 1; }
  video=$(awk -F, '$2 == "video" { print $5 }' <<<"$info")
  audio=$(awk -F, '$2 == "audio" { print $3 }' <<<"$info")
  frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 short.mp4)
  awk -v v="$video" -v a="$audio" -v f="$frames" 'BEGIN {
    if (v < 3.0 || v > 3.5) { print "video lasts " v " s"; exit 1 }
    if (f != int(v * 10 + 0.5)) { print f " frames for " v " s at 10 fps"; exit 1 }
    d = a - v; if (d < 0) d = -d
    if (d > 0.1) { print "audio lasts " a " s, video " v " s"; exit 1 } }'
fi

"$vela" --pack "$pack" --capture one.mkv --lossless --fps 10 --scale 2 --seconds 2 b4 2>/dev/null
"$vela" --pack "$pack" --capture two.mkv --lossless --fps 10 --scale 2 --seconds 2 b4 2>/dev/null
cmp -s one.mkv two.mkv || { echo "two lossless captures differ"; exit 1; }

"$vela" --pack "$pack" --frames pictures --fps 5 --scale 1 --seconds 1 b5 2>/dev/null
[ -f pictures/frame-000000.png ] && [ -f pictures/audio.wav ] || { echo "no picture series"; ls pictures; exit 1; }

# vela --frame-hashes and WholeShow.* hash frames and sound alike: the test stopped this run
# after its 250th frame, as --seconds 24.9 does.
"$vela" --pack "$pack" --fast --fps 10 --depth 15 --seconds 24.9 --frame-hashes hashes.txt b1
diff -u "$stored/part1-15bit-10fps.txt" hashes.txt >"$work/diff" ||
  { echo "the frame-hash list differs from the stored part1-15bit-10fps.txt:"; head -20 "$work/diff"; exit 1; }
status=0
"$vela" --pack "$pack" --fast --seconds 1 --frame-hashes /dev/full b5 2>"$work/err" || status=$?
[ "$status" -eq 1 ] && grep -q '/dev/full: .*No space left on device' "$work/err" ||
  { echo "a frame-hash list on a full disk gave status $status and said:"; cat "$work/err"; exit 1; }

for bad in "--capture /nonexistent/folder/x.mp4" "--capture x.mp4 --fps 0" "--capture x.mp4 --scale 9" \
           "--fast --frame-hashes /nonexistent/folder/x.txt"; do
  status=0
  # shellcheck disable=SC2086
  "$vela" --pack "$pack" $bad b5 >/dev/null 2>"$work/err" || status=$?
  [ "$status" -eq 2 ] || { echo "'$bad' gave status $status"; exit 1; }
  grep -qE 'cannot create|--fps takes|--scale takes' "$work/err" || { echo "'$bad' said:"; cat "$work/err"; exit 1; }
done

# A .mkv name without --lossless holds H.264 and AAC in Matroska; with it, FFV1 and FLAC.
if command -v ffprobe >/dev/null; then
  "$vela" --pack "$pack" --capture plain.mkv --fps 5 --scale 1 --seconds 1 b4 2>/dev/null
  for file in plain.mkv one.mkv; do
    info=$(ffprobe -v error -show_entries format=format_name:stream=codec_name -of csv=p=0 "$file" | tr -d '"' | sort | tr '\n' ' ')
    case $file in
      plain.mkv) want="aac h264 matroska,webm " ;;
      one.mkv) want="ffv1 flac matroska,webm " ;;
    esac
    [ "$info" = "$want" ] || { echo "$file holds '$info', not '$want'"; exit 1; }
  done
fi

# Options that contradict each other: one line and where the usage is, nothing written.
contradictions=(
  "--capture x.txt|must end in .mp4"
  "--capture x.mp4 --lossless|name a .mkv file"
  "--fast --capture y.mp4|--fast writes nothing"
  "--capture z.mp4 --frames dir|give one"
  "--frames dir --lossless|--lossless goes with --capture"
  "--frame-hashes x.txt|--frame-hashes needs the show in virtual time"
)
for case in "${contradictions[@]}"; do
  words=${case%%|*}
  said=${case#*|}
  status=0
  # shellcheck disable=SC2086
  "$vela" --pack "$pack" $words b5 >/dev/null 2>"$work/err" || status=$?
  [ "$status" -eq 2 ] || { echo "'$words' gave status $status"; cat "$work/err"; exit 1; }
  grep -qF -- "$said" "$work/err" || { echo "'$words' said:"; cat "$work/err"; exit 1; }
  [ "$(wc -l <"$work/err")" -le 2 ] || { echo "'$words' printed more than its line:"; cat "$work/err"; exit 1; }
  for written in x.txt x.mp4 y.mp4 z.mp4 dir; do
    [ ! -e "$written" ] || { echo "'$words' wrote $written"; exit 1; }
  done
done
echo "capture: ok"
