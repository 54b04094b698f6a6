#!/usr/bin/env bash
# Too little memory: with a 1 MiB pool each part, started on its own, refuses to load with its
# out-of-memory text and the show ends with status 1; a pool the system cannot give at all is
# told in one line and ends with status 1 too, never as if the show had played.
set -euo pipefail
vela=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY
export SDL_AUDIODRIVER=dummy
pack="$(dirname "$vela")/content/VELA.PAK"

expect_end() { # expected status, expected text (an extended regular expression), vela arguments...
  local code=$1 text=$2
  shift 2
  local status=0
  "$vela" --pack "$pack" --fast "$@" >"$work/out" 2>"$work/err" || status=$?
  if [ "$status" -ne "$code" ] || ! grep -qE -- "$text" "$work/err"; then
    echo "vela $*: status $status (expected $code), expected \"$text\" in:"
    cat "$work/err"
    exit 1
  fi
  if grep -q 'terminate called\|Sanitizer' "$work/err"; then echo "vela $*: crashed"; cat "$work/err"; exit 1; fi
}

expect_end 1 "vela: Not enough Memory for engine" --pool-mib 1 b1
expect_end 1 "vela: Memory error" --pool-mib 1 b2
# Where the pool runs out depends on where the system put it (blocks aligned to their own size
# leave gaps that differ from run to run): a credit either lacks the room for its picture,
# which the picture loader reports as not found, or for its sprite.
expect_end 1 "vela: (plus de memoire pour les credits|Un fichier BMP des credits est introuvable)" --pool-mib 2 b1
expect_end 1 "vela: Not enough Memory for engine" --pool-mib 2 b3
expect_end 2 "--pool-mib takes a size of 1 to 1024" --pool-mib 0
# Address space for the program but not for a 1 GiB pool.
(ulimit -v 600000 && expect_end 1 "the 1024 MiB memory pool could not be reserved" --pool-mib 1024 b1)
echo "low memory: ok"
