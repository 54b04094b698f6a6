#!/usr/bin/env bash
# The last message stays up until a key is pressed after it: keys pressed during the show (F2
# here, while the show starts up) do not close it before anyone has read it. Under Xvfb, with
# part two's loading picture taken out of the pack.
set -euo pipefail
vela=$1
velatool=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
cleanup() {
  [ -n "${vpid:-}" ] && kill "$vpid" 2>/dev/null || true
  [ -n "${xpid:-}" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
source "$here/lib/x_session.sh"
source "$here/lib/packs.sh"
cd "$work"
pack_without "$(dirname "$vela")/content/VELA.PAK" no-loading.pak 'LOADING\LOAD.BMP'

start_xvfb
use_x_session
"$vela" --no-launcher --window --no-sound --pack no-loading.pak b2 >"$work/vela.out" 2>&1 &
vpid=$!
wait_for_window '^Vela$' 150 >/dev/null || { echo "no window titled Vela"; cat "$work/vela.out"; exit 1; }
type_into '^Vela$' F2 || { echo "could not press F2"; exit 1; }

# The part's load fails once the start-up is over; its message is also on standard error.
for _ in $(seq 400); do
  grep -q 'Fichier LOADING\\LOAD.BMP introuvable' "$work/vela.out" && break
  kill -0 "$vpid" 2>/dev/null || break
  sleep 0.1
done
grep -q 'Fichier LOADING\\LOAD.BMP introuvable' "$work/vela.out" || { echo "no message:"; cat "$work/vela.out"; exit 1; }
sleep 3
kill -0 "$vpid" 2>/dev/null || { echo "the message closed without a key pressed after it"; cat "$work/vela.out"; exit 1; }
[ -n "$(visible_window '^Vela$')" ] || { echo "the window with the message is gone"; exit 1; }

# A key pressed now ends the wait, and the show ends with its failure status.
for _ in 1 2 3; do
  type_into '^Vela$' space || true
  ends_within "$vpid" 50 && break
done
kill -0 "$vpid" 2>/dev/null && { echo "a key did not end the message's wait"; exit 1; }
status=0
wait "$vpid" || status=$?
vpid=""
[ "$status" -eq 1 ] || { echo "the show ended with status $status after its message"; cat "$work/vela.out"; exit 1; }
echo "message after keys: ok"
