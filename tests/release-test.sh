#!/bin/sh
# The maker's release from a product folder of exactly the 4,000,000 bytes the setup
# asks for: each refusal leaves the last dist as it was; the zip and the CD image hold
# exactly its files, the same bytes whatever their times; the setup installs unattended
# from the image's Joliet tree mapped as drive D:, a CD-ROM of the rig, and /VERIFY holds
# the files to the digests OpenSSL recorded.
# Usage (inside the rig): release-test.sh SOURCE_DIR SETUP.EXE WORK_DIR
set -eu
src=$1 exe=$2 work=$3
files="Nim2Alph.exe tour.kvr calm.mid nimbet2.mid Notes.doc options.exe Unsetup.exe Unsetup.bat"
[ ! -d "$work" ] || chmod -R u+w "$work" && rm -rf "$work" && mkdir -p "$work/product" && cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
for name in $files; do echo "product file $name" >"product/$name"; done
mv product/Unsetup.bat product/UNSETUP.BAT && mv product/Unsetup.exe real.exe && ln -s ../real.exe product/Unsetup.exe
head -c $((4000000 - $(cat product/* | wc -c))) /dev/zero >>product/Nim2Alph.exe
sh "$src/scripts/make-dist.sh" product "$exe" dist
snapshot() { (cd dist && ls -l --full-time && cksum *); } && snapshot >before

refuse() { # a change to a copy of the product, and the lines expected
    rm -rf case && cp -R product case && (cd case && eval "$1")
    ! out=$(sh "$src/scripts/make-dist.sh" case "$exe" dist 2>&1) && [ "$out" = "$2" ] && snapshot | cmp -s before - ||
        fail "$1: $out"
}
refuse 'rm UNSETUP.BAT' 'dist: Unsetup.bat is missing from case'
refuse 'echo twin >unsetup.bat' 'dist: Unsetup.bat is matched by more than one file: case/UNSETUP.BAT case/unsetup.bat'
refuse 'rm Notes.doc && mkdir notes.DOC' 'dist: case/notes.DOC is not a regular file'
refuse 'rm tour.kvr && ln -s . TOUR.KVR' 'dist: case/TOUR.KVR is not a regular file'
refuse 'rm calm.mid && mkfifo calm.mid' 'dist: case/calm.mid is not a regular file'
refuse 'echo >>tour.kvr' 'dist: the files total 4000001 bytes, over the 4000000 of RequiredBytes in setup/manifest.h'
refuse 'rm Nim2Alph.exe options.exe' "$(printf 'dist: Nim2Alph.exe is missing from case\ndist: options.exe is missing from case')"

export SOURCE_DATE_EPOCH=946684800 TZ=UTC # 2000-01-01 00:00:00; the listings below pinned
sh "$src/scripts/make-release.sh" dist release
zip=release/Nimbet-2-Alpha-0.1.zip iso=release/Nimbet-2-Alpha-0.1.iso
[ "$(ls release | paste -s -d ' ' -)" = "${iso#*/} ${zip#*/}" ] || fail "release holds $(ls release)"
printf 'Nimbet 2 Alpha/%s\n' "" setup.exe $files >expected.zip
printf "'/%s'\n" AUTORUN.INF setup.exe $files | LC_ALL=C sort >expected.iso
unzip -Z1 $zip | diff expected.zip - || fail "zip listing"
xorriso -read_fs norock -indev $iso -find / -type f 2>/dev/null | diff expected.iso - || fail "image listing"
xorriso -indev $iso -pvd_info 2>/dev/null | grep -qx 'Volume Id    : Nimbet 2 Alpha' || fail "volume id"
rock=$(xorriso -indev $iso -find / -type f -exec lsdl 2>/dev/null | awk '{print $1, $3, $4}' | sort -u)
[ "$rock" = "-r--r--r-- 0 0" ] || fail "Rock Ridge shows Unix readers $rock, not root's read-only files"
[ "$(unzip -l $zip | grep -c ' 2000-01-01 00:00 ')" -eq 10 ] || fail "zip times: $(unzip -l $zip)"
unzip -q $zip -d unzipped && diff -r dist "unzipped/Nimbet 2 Alpha" || fail "zip contents"
xorriso -osirrox on -read_fs norock -indev $iso -extract / cd 2>/dev/null
printf '[autorun]\r\nopen=setup.exe\r\nicon=setup.exe\r\n' | cmp - cd/AUTORUN.INF && diff -r -x AUTORUN.INF dist cd ||
    fail "image contents"
# Other times and modes in the distribution, and another time zone, make the same bytes.
mv release first && touch -d 2011-11-11 dist/* && chmod 600 dist/calm.mid
TZ=JST-9 sh "$src/scripts/make-release.sh" dist release >/dev/null
cmp first/${zip#*/} $zip && cmp first/${iso#*/} $iso || fail "a second pack differs"

# Wine learns a drive's type (DriveType 5: CD-ROM) when its wineserver starts; the
# restarted server and the desktop it starts must not hold ctest's output open.
restart() { wineserver -k; wineserver -p && wine cmd /c exit; } </dev/null >/dev/null 2>&1
trap 'rm -f "$WINEPREFIX/dosdevices/d:"; wine reg delete "HKLM\\Software\\Wine\\Drives" /v d: /f >/dev/null 2>&1; restart' EXIT
installed="$WINEPREFIX/drive_c/Nimbet 2 Alpha"
rm -rf "$installed" && ln -s "$work/cd" "$WINEPREFIX/dosdevices/d:"
wine reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >/dev/null && restart
wine wmic logicaldisk get DeviceID,DriveType 2>/dev/null | iconv -f UTF-16 -t UTF-8 | tr -d '\r ' | grep -qx D:5 || fail "D: is no CD-ROM"
attributes() { wine cmd /c attrib "$1" | cut -c 1-12 | tr -d ' ' | sort | uniq -c | sed 's/^ *//'; }
[ "$(attributes 'D:\*')" = "10 AR" ] || fail "the image's files are not read-only: $(attributes 'D:\*')"
wine 'D:\setup.exe' /S || fail "setup /S from D: ended with $?"
[ "$(attributes 'C:\Nimbet 2 Alpha\*')" = "8 A" ] || fail "installed files: $(attributes 'C:\Nimbet 2 Alpha\*')"
for name in $files; do cmp "dist/$name" "$installed/$name"; done
# The digests OpenSSL recorded, checked by the setup's own: the CD's files whole, then a
# copy with one byte changed in one file.
wine 'D:\setup.exe' /VERIFY /S || fail "setup /VERIFY /S on the CD ended with $?"
cp -R dist changed && printf X | dd of=changed/Unsetup.exe bs=1 seek=5 conv=notrunc 2>/dev/null
code=0 && wine changed/setup.exe /VERIFY /S || code=$?
[ $code -eq 2 ] || fail "setup /VERIFY /S with a changed file ended with $code"
