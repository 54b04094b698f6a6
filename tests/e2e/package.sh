#!/usr/bin/env bash
# The Debian package: CPack makes it from this build; its control fields name the section, the
# maintainer and the libraries dpkg-shlibdeps found (SDL2 and libopenmpt among them); it holds
# exactly the installed files in Debian's layout (the show in /usr/games, velatool in /usr/bin,
# gzipped manual pages, copyright and changelog), stripped, without RPATH, with the usual
# modes; lintian finds no error in it; and the show unpacked from it plays part four with the
# pack it brings, which it also finds unaided.
set -euo pipefail
vela=$1
build=$(cd "$(dirname "$vela")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*"; exit 1; }

for tool in cpack dpkg-deb dpkg-shlibdeps lintian readelf; do
  command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/install-deps"
done
[ -f "$build/CPackConfig.cmake" ] || fail "$build has no CPackConfig.cmake (configured without the content?)"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -s "${debs[0]}" ] || { ls "$work/out"; fail "not one package"; }
deb=${debs[0]}
version=$("$vela" --version | sed -n 's/^vela //p')
[ "$(basename "$deb")" = "vela_${version}_$(dpkg --print-architecture).deb" ] || fail "unexpected name $(basename "$deb")"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vela ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version $(field Version), the programs say $version"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
field Maintainer | grep -Eq '^[^<]+ <[^@ ]+@[^> ]+>$' || fail "Maintainer: $(field Maintainer)"
[ "$(field Description | wc -l)" -ge 3 ] || fail "the description has no long part"
depends=$(field Depends)
for library in libsdl2-2.0-0 libopenmpt0 libc6; do
  grep -Eq "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done

# Contents: exactly these files, root's, with the usual modes (no test or benchmark program).
dpkg-deb -c "$deb" >"$work/contents"
awk '$1 !~ /^d/ { print $1, $2, $6 }' "$work/contents" | sort >"$work/files"
sort >"$work/expected" <<'EOF'
-rwxr-xr-x root/root ./usr/bin/velatool
-rwxr-xr-x root/root ./usr/games/vela
-rw-r--r-- root/root ./usr/share/applications/vela.desktop
-rw-r--r-- root/root ./usr/share/doc/vela/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/vela/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/vela.png
-rw-r--r-- root/root ./usr/share/man/man1/velatool.1.gz
-rw-r--r-- root/root ./usr/share/man/man6/vela.6.gz
-rw-r--r-- root/root ./usr/share/vela/VELA.PAK
EOF
diff -u "$work/expected" "$work/files" || fail "the package's files differ from those expected"
awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { bad = 1; print } END { exit bad }' "$work/contents" || fail "folders not 0755"

# Unpacked: stripped programs without RPATH, the build's pack, readable manual pages, a valid
# menu entry that names the show where it is.
root=$work/root
dpkg-deb -x "$deb" "$root"
for program in usr/games/vela usr/bin/velatool; do
  ! readelf -S "$root/$program" | grep -Eq ' \.(symtab|debug_info) ' || fail "$program is not stripped"
  ! readelf -d "$root/$program" | grep -Eq 'RPATH|RUNPATH' || fail "$program has an RPATH"
done
cmp "$root/usr/share/vela/VELA.PAK" "$build/content/VELA.PAK" || fail "the packaged pack is not the build's"
zcat "$root/usr/share/man/man6/vela.6.gz" | grep -q '^\.TH VELA "6"' || fail "vela.6.gz is not vela's page"
zcat "$root/usr/share/man/man1/velatool.1.gz" | grep -q '^\.TH VELATOOL "1"' || fail "velatool.1.gz is not velatool's page"
zcat "$root/usr/share/doc/vela/changelog.gz" | head -1 | grep -q "^vela ($version) " || fail "the changelog's entry is not $version"
desktop-file-validate "$root/usr/share/applications/vela.desktop"
grep -qx 'Exec=/usr/games/vela' "$root/usr/share/applications/vela.desktop" || fail "the menu entry does not start /usr/games/vela"

# lintian: warnings are allowed, errors are not.
lintian "$deb" >"$work/lintian" 2>&1 || true
if grep -q '^E:' "$work/lintian"; then cat "$work/lintian"; fail "lintian reports errors"; fi

# The unpacked show, started from a folder of its own, plays part four with its own pack: one
# table row for part four and its sections, none for the parts before it.
mkdir "$work/elsewhere"
cd "$work/elsewhere"
SDL_AUDIODRIVER=dummy "$root/usr/games/vela" --headless --no-launcher --fast --timings \
  --pack "$root/usr/share/vela/VELA.PAK" b4 >"$work/out.txt" 2>"$work/err" || {
  cat "$work/err"
  fail "the unpacked show failed"
}
[ ! -s "$work/err" ] || { cat "$work/err"; fail "the unpacked show complained"; }
for row in 4 4A 4B 4C; do
  grep -Eq "^ *$row +[1-9][0-9]* " "$work/out.txt" || { cat "$work/out.txt"; fail "no frames for $row"; }
done
! grep -Eq '^ *[1-3][A-D]? +[0-9]+ ' "$work/out.txt" || { cat "$work/out.txt"; fail "parts before four played"; }
# Without --pack, the show in /usr/games finds the pack in /usr/share/vela all the same.
SDL_AUDIODRIVER=dummy "$root/usr/games/vela" --headless --no-launcher --fast b5 2>"$work/err" || {
  cat "$work/err"
  fail "the unpacked show failed without --pack"
}
! grep -q 'VELA.PAK' "$work/err" || { cat "$work/err"; fail "the unpacked show did not find its pack"; }
"$root/usr/bin/velatool" --version | grep -q "^velatool $version\$" || fail "the unpacked velatool's version"
echo "package: ok ($(basename "$deb"), $(stat -c %s "$deb") bytes)"
