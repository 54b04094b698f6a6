#!/usr/bin/env bash
# A module missing from the pack ends the show with a message naming it and status 1, in real
# time and in virtual time, rather than a wait for marks that never come.
set -euo pipefail
vela=$1
velatool=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=dummy
source "$here/lib/packs.sh"
pack="$(dirname "$vela")/content/VELA.PAK"

# module, the part to start at (its module plays at that part's start)
cases=("VELA1 b1" "VELA2 b2" "VELA3 b3")
for case in "${cases[@]}"; do
  read -r module _ <<<"$case"
  pack_without "$pack" "no-$module.pak" "ZIK\\$module.XM"
done

# Real time (the calibration alone takes about 12 s) and virtual time, all at once.
pids=()
for case in "${cases[@]}"; do
  read -r module part <<<"$case"
  timeout 60 "$vela" --headless --no-launcher --pack "no-$module.pak" "$part" >/dev/null 2>"real-$module.err" &
  pids+=("$!:real-$module")
  timeout 60 "$vela" --fast --pack "no-$module.pak" "$part" >/dev/null 2>"fast-$module.err" &
  pids+=("$!:fast-$module")
done
for entry in "${pids[@]}"; do
  pid=${entry%%:*}
  run=${entry#*:}
  module=${run#*-}
  status=0
  wait "$pid" || status=$?
  [ "$status" -ne 124 ] || { echo "$run: still waiting after 60 s"; cat "$run.err"; exit 1; }
  [ "$status" -eq 1 ] || { echo "$run: status $status"; cat "$run.err"; exit 1; }
  grep -qF "Le module ZIK\\$module.XM est introuvable" "$run.err" || { echo "$run said:"; cat "$run.err"; exit 1; }
done
echo "missing module: ok"
