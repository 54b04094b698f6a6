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
cp stored.pak crc.pak
# The byte 100 into the third member (past its 42-byte header and name) is module data.
printf '\xAA' | dd of=crc.pak bs=1 seek=$((offset + 100)) conv=notrunc status=none

status=0
"$vela" --headless --no-launcher --pack crc.pak b5 >/dev/null 2>"$work/err" || status=$?
if [ "$status" -ne 4 ]; then
  echo "a CRC error ended the show with status $status, not 4"
  cat "$work/err"
  exit 1
fi
grep -q '^funzip error: ' "$work/err" || { echo "no funzip error line"; cat "$work/err"; exit 1; }
if grep -q 'terminate called' "$work/err"; then echo "the process aborted"; cat "$work/err"; exit 1; fi
echo "damaged pack: ok"
