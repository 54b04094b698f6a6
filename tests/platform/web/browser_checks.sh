#!/usr/bin/env bash
# The page in headless Chromium against the desktop program built from the same sources:
#   - the frame lists of 10 s of each part at 10 fps, in virtual time, are the native ones;
#   - 10 s in real time, with sound, play without an error in the console and print the frame
#     timings table;
#   - Escape pressed while the show plays ends it, and the page says so;
#   - a missing pack, a damaged one and sound refused to the page are said on the page.
# Needs build/web (scripts/build-web) and build/release's vela and pack. Outputs in
# build/web-tests.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
cd "$root"
vela=build/release/vela
pack=build/release/content/VELA.PAK
out=build/web-tests
rm -rf "$out"
mkdir -p "$out"
for f in "$vela" "$pack" build/web/index.html; do
  [ -e "$f" ] || { echo "browser checks: $f is missing (make build, then scripts/build-web)" >&2; exit 1; }
done

failures=0
pass() { echo "ok: $*"; }
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

for part in b1 b2 b3 b4; do
  native=$out/native-$part.txt page=$out/page-$part.txt
  if ! "$vela" --pack "$pack" --fast --fps 10 --seconds 10 "$part" --frame-hashes "$native" 2>"$out/native-$part.log"; then
    fail "the native frame list of $part (see $out/native-$part.log)"
  elif ! scripts/web-run --fps 10 --seconds 10 "$part" --out "$page" --console "$out/console-$part.txt" --timeout 120 \
      >"$out/page-$part.log" 2>&1; then
    fail "the page's frame list of $part (see $out/page-$part.log)"
  elif ! diff -u "$native" "$page" >"$out/diff-$part.txt"; then
    fail "the page's frames of $part differ from the native ones (see $out/diff-$part.txt)"
  else
    pass "10 s of $part at 10 fps: the page's $(($(wc -l <"$page") - 1)) frames are the native ones"
  fi
done

log=$out/real-time.log
if ! scripts/web-run --real-time --seconds 10 --timings --console "$out/console-real-time.txt" --timeout 120 >"$log" 2>&1; then
  fail "10 s in real time (see $log)"
elif ! grep -q '^part  frames  median ms' "$log" || ! grep -qE '^ +1 +[0-9]+ ' "$log"; then
  fail "10 s in real time printed no timings table (see $log)"
elif ! grep -qE '^sync marks: [1-9][0-9]* fired' "$log"; then
  fail "10 s in real time fired no sync mark (see $log)"
else
  pass "10 s in real time without a console error: $(grep -E '^ +1 +[0-9]+ ' "$log")"
fi

log=$out/escape.log
started=$SECONDS
if ! scripts/web-run --real-time --escape 16 --console "$out/console-escape.txt" --timeout 90 >"$log" 2>&1; then
  fail "Escape while the show plays (see $log)"
elif ! grep -q 'the show has ended (status 0)' "$out/console-escape.txt"; then
  fail "after Escape the page did not say that the show ended (see $out/console-escape.txt)"
else
  pass "Escape after 16 s ended the show (the page ran $((SECONDS - started)) s)"
fi

# Errors: a folder without the pack, one with a cut pack, and a browser that keeps sound from a
# page nobody clicked.
broken=$out/broken-pack
mkdir -p "$broken"
cp build/web/index.html build/web/vela-page.js build/web/vela-page.css build/web/vela.js build/web/vela.wasm "$broken/"
log=$out/missing-pack.log
if scripts/web-run --dir "$broken" --real-time --timeout 60 >"$log" 2>&1; then
  fail "a page without its pack played (see $log)"
elif ! grep -q "VELA.PAK, could not be loaded" "$log"; then
  fail "a page without its pack did not say so (see $log)"
else
  pass "a missing pack is said on the page"
fi
head -c 300000 "$pack" >"$broken/VELA.PAK"
log=$out/damaged-pack.log
if scripts/web-run --dir "$broken" --real-time --escape 3 --console "$out/console-damaged.txt" --timeout 60 >"$log" 2>&1; then
  fail "a page with a damaged pack played (see $log)"
elif ! grep -q "damaged pack archive" "$out/console-damaged.txt"; then
  fail "a page with a damaged pack did not show the program's message (see $out/console-damaged.txt)"
else
  pass "a damaged pack: the program's message is shown on the page"
fi
log=$out/sound-refused.log
if ! scripts/web-run --real-time --seconds 2 --escape 2 --console "$out/console-refused.txt" --timeout 90 \
    --browser-flag=--autoplay-policy=document-user-activation-required >"$log" 2>&1; then
  fail "with sound refused the show did not go on without it (see $log)"
elif ! grep -q "initialization failed" "$out/console-refused.txt"; then
  fail "sound refused was not said on the page (see $out/console-refused.txt)"
else
  pass "sound refused: the page asks, and Cancel plays on without sound"
fi

[ "$failures" -eq 0 ] || { echo "browser checks: $failures failed"; exit 1; }
echo "browser checks: all passed"
