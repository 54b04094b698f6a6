#!/usr/bin/env bash
# Ctrl+C (SIGINT) and SIGTERM end the show through its normal way out, with the conventional
# status 128 + signal: during the start-up calibration and in a part's frame loop.
set -euo pipefail
vela=$1
velatool=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=dummy

# A calibration module without calibration marks keeps the start-up waiting (up to 30 s).
module="$here/../../fuzz/corpus/xm/marks.xm"
"$velatool" pak create silent.pak 'ZIK\VELA2.XM='"$module" >/dev/null
# The show's own content: after the calibration (about 12 s) part one plays.
content="$(dirname "$vela")/content/VELA.PAK"

stop_after() { # signal, seconds, pack, words...
  local signal=$1 seconds=$2 pack=$3
  shift 3
  "$vela" --headless --no-launcher --pack "$pack" "$@" >/dev/null 2>"$work/err" &
  local pid=$!
  sleep "$seconds"
  kill "-$signal" "$pid"
  local waited=0
  while kill -0 "$pid" 2>/dev/null; do
    sleep 0.1
    waited=$((waited + 1))
    if [ "$waited" -gt 100 ]; then
      kill -9 "$pid"
      echo "the show went on for 10 s after SIG$signal"
      exit 1
    fi
  done
  local status=0
  wait "$pid" || status=$?
  echo "$status"
}

status=$(stop_after INT 1 silent.pak b1)
[ "$status" -eq 130 ] || { echo "SIGINT during the calibration gave status $status, not 130"; cat "$work/err"; exit 1; }
status=$(stop_after TERM 16 "$content" --no-sound --loop b1)
[ "$status" -eq 143 ] || { echo "SIGTERM in a part gave status $status, not 143"; cat "$work/err"; exit 1; }
echo "stop signals: ok"
