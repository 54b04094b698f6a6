#!/usr/bin/env bash
# A damaged archive member ends the show with its "funzip error" line and its exit code (4 for
# a CRC error, 3 for a broken zip format, 1 for bad data), with the music's thread stopped
# first: never an abort.
set -euo pipefail
vela=$1
velatool=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=dummy

module="$here/../../fuzz/corpus/xm/marks.xm"
# Stored members keep the module's bytes as they are, so one flipped byte is a CRC error.
"$velatool" pak create stored.pak --method store 'ZIK\VELA1.XM='"$module" 'ZIK\VELA2.XM='"$module" \
  'ZIK\VELA3.XM='"$module" >/dev/null
offset=$("$velatool" pak list stored.pak | awk '$1 == "ZIK\\VELA3.XM" { print $2 }')
# Each damage through the real show: byte offset into the third member, the byte written there,
# the exit status and the decoder's text. The member's local header starts at its offset; the
# byte 100 into it (past its 42-byte header and name) is module data.
damages=(
  "100 AA 4 invalid compressed data--crc error"
  "3 02 3 invalid zipfile"
  "8 0C 3 first entry not deflated or stored--cannot unpack"
  "6 01 3 cannot decrypt entry"
  "18 01 4 invalid compressed data--length mismatch"
)
for damage in "${damages[@]}"; do
  read -r at byte code text <<<"$damage"
  cp stored.pak damaged.pak
  printf "\\x$byte" | dd of=damaged.pak bs=1 seek=$((offset + at)) conv=notrunc status=none
  status=0
  "$vela" --headless --no-launcher --pack damaged.pak b5 >/dev/null 2>"$work/err" || status=$?
  if [ "$status" -ne "$code" ]; then
    echo "damage at +$at ($text) ended the show with status $status, not $code"
    cat "$work/err"
    exit 1
  fi
  grep -q "^funzip error: $text" "$work/err" || { echo "no funzip error line for $text"; cat "$work/err"; exit 1; }
  if grep -q 'terminate called' "$work/err"; then echo "the process aborted"; cat "$work/err"; exit 1; fi
done
echo "damaged pack: ok"
