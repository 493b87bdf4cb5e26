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
# The stamped setup.exe's PE checksum, summed here by 32-bit words, as the PE format describes it.
python3 - dist/setup.exe <<'EOF' || fail "the stamped setup.exe's PE checksum"
import struct, sys
b = open(sys.argv[1], "rb").read()
at = struct.unpack_from("<I", b, 0x3C)[0] + 88
s = 0
for (w,) in struct.iter_unpack("<I", b[:at] + bytes(4) + b[at + 4:] + bytes(-len(b) % 4)):
    s = (s + w & 0xFFFFFFFF) + (s + w >> 32)
s = (s & 0xFFFF) + (s >> 16)
assert (s + (s >> 16) & 0xFFFF) + len(b) == struct.unpack_from("<I", b, at)[0]
EOF
snapshot() { (cd dist && ls -l --full-time && cksum *); } && snapshot >before

refuse() { # a change to a copy of the product, and the lines expected
    rm -rf case && cp -R product case && (cd case && eval "$1")
    ! out=$(sh "$src/scripts/make-dist.sh" case "$exe" dist 2>&1) && [ "$out" = "$2" ] && snapshot | cmp -s before - ||
        fail "$1: $out"
}
refuse 'echo twin >unsetup.bat' 'dist: Unsetup.bat is matched by more than one file: case/UNSETUP.BAT case/unsetup.bat'
refuse 'rm Notes.doc && mkdir notes.DOC' 'dist: case/notes.DOC is not a regular file'
refuse 'rm tour.kvr && ln -s . TOUR.KVR' 'dist: case/TOUR.KVR is not a regular file'
refuse 'rm calm.mid && mkfifo calm.mid' 'dist: case/calm.mid is not a regular file'
refuse 'echo >>tour.kvr' 'dist: the files total 4000001 bytes, over the 4000000 of PRODUCT_REQUIRED_BYTES in resources/product.facts'
refuse 'rm Nim2Alph.exe options.exe' "$(printf 'dist: Nim2Alph.exe is missing from case\ndist: options.exe is missing from case')"
# More than the setup's files: a same-named one in a subfolder and one of the maker's own are
# left out, not counted, and the last dist is replaced whole.
rm -rf case && cp -R product case && mkdir case/old && echo old >case/old/calm.mid && echo extra >case/readme.txt
out=$(sh "$src/scripts/make-dist.sh" case "$exe" dist 2>&1) && [ "$out" = "dist: Unsetup.exe is the maker's
dist: Unsetup.bat is the maker's
dist: dist holds setup.exe and the 8 files of case (4000000 bytes)" ] || fail "extra files: $out"
[ "$(LC_ALL=C ls dist | paste -s -d ' ' -)" = "Nim2Alph.exe Notes.doc Unsetup.bat Unsetup.exe calm.mid nimbet2.mid options.exe setup.exe tour.kvr" ] &&
    [ "$(ls "$work" | grep -c '^dist')" -eq 1 ] || fail "dist holds $(ls dist), beside it $(ls "$work")"

export SOURCE_DATE_EPOCH=946684800 TZ=UTC # 2000-01-01 00:00:00; the listings below pinned
notes=$(sh "$src/scripts/make-release.sh" dist release | grep -v -e '^release: release:' -e '^-')
[ "$notes" = "release: no winget manifest: RELEASE_URL=<https URL of the zip> writes one
release: setup.exe is not signed: make release PFX=<file.pfx> signs it" ] && [ ! -e release/winget ] || fail "notes: $notes"
zip=release/Nimbet-2-Alpha-0.1.zip iso=release/Nimbet-2-Alpha-0.1.iso
[ "$(ls release | paste -s -d ' ' -)" = "${iso#*/} ${zip#*/} SHA256SUMS" ] || fail "release holds $(ls release)"
printf 'Nimbet 2 Alpha/%s\n' "" setup.exe $files >expected.zip
printf "'/%s'\n" AUTORUN.INF setup.exe $files | LC_ALL=C sort >expected.iso
unzip -Z1 $zip | diff expected.zip - || fail "zip listing"
xorriso -read_fs norock -indev $iso -find / -type f 2>/dev/null | diff expected.iso - || fail "image listing"
xorriso -indev $iso -pvd_info 2>/dev/null | grep -qx 'Volume Id    : Nimbet 2 Alpha' || fail "volume id"
rock=$(xorriso -indev $iso -find / -type f -exec lsdl 2>/dev/null | awk '{print $1, $3, $4}' | sort -u)
[ "$rock" = "-r--r--r-- 0 0" ] || fail "Rock Ridge shows Unix readers $rock, not root's read-only files"
[ "$(unzip -l $zip | grep -c ' 2000-01-01 00:00 ')" -eq 10 ] || fail "zip times: $(unzip -l $zip)"
zipinfo -v $zip | grep 'length of extra field' | grep -v ' 0 bytes$' && fail "zip entries with extra fields"
unzip -q $zip -d unzipped && diff -r dist "unzipped/Nimbet 2 Alpha" || fail "zip contents"
xorriso -osirrox on -read_fs norock -indev $iso -extract / cd 2>/dev/null
printf '[autorun]\r\nopen=setup.exe\r\nicon=setup.exe\r\n' | cmp - cd/AUTORUN.INF && diff -r -x AUTORUN.INF dist cd ||
    fail "image contents"
# Other times and modes in the distribution, and another time zone, make the same bytes.
mv release first && touch -d 2011-11-11 dist/* && chmod 600 dist/calm.mid
TZ=JST-9 sh "$src/scripts/make-release.sh" dist release >/dev/null
cmp first/${zip#*/} $zip && cmp first/${iso#*/} $iso || fail "a second pack differs"
# Without SOURCE_DATE_EPOCH the time is the source's last commit.
(unset SOURCE_DATE_EPOCH && sh "$src/scripts/make-release.sh" dist committed >/dev/null)
# zip keeps a time in steps of two seconds and rounds an odd second up, into the next minute at :59.
commit=$(date -u -d "@$((($(git -C "$src" log -1 --format=%ct) + 1) / 2 * 2))" +'%Y-%m-%d %H:%M')
[ "$(unzip -l committed/${zip#*/} | grep -c " $commit ")" -eq 10 ] || fail "not the commit's time $commit: $(unzip -l committed/${zip#*/})"

# With RELEASE_URL a winget manifest of the zip, readable by all whatever the umask; the checksums
# fail once a byte of the zip changes.
(umask 077 && RELEASE_URL=https://example.com/n.zip sh "$src/scripts/make-release.sh" dist release >/dev/null)
python3 - release/winget "$(sha256sum $zip | cut -c 1-64)" <<'EOF' || fail "winget manifest"
import sys, yaml
d, sha = sys.argv[1], sys.argv[2].upper()
v, l, i = (yaml.safe_load(open(d + "/Orvanex.Nimbet2Alpha" + n + ".yaml")) for n in ("", ".locale.en-US", ".installer"))
assert [(m.pop("PackageIdentifier"), m.pop("PackageVersion"), m.pop("ManifestVersion")) for m in (v, l, i)] == [("Orvanex.Nimbet2Alpha", "0.1", "1.6.0")] * 3
assert v == {"DefaultLocale": "en-US", "ManifestType": "version"} and (l["ManifestType"], l["PackageLocale"], l["Publisher"], l["PackageName"]) == ("defaultLocale", "en-US", "Orvanex", "Nimbet 2 Alpha")
assert i.pop("ManifestType") == "installer"
assert {k: i[k] for k in ("InstallerType", "NestedInstallerType", "NestedInstallerFiles", "Scope", "ElevationRequirement", "InstallerSwitches", "ExpectedReturnCodes", "AppsAndFeaturesEntries", "Installers")} == {
    "InstallerType": "zip", "NestedInstallerType": "exe", "NestedInstallerFiles": [{"RelativeFilePath": "Nimbet 2 Alpha/setup.exe"}], "Scope": "machine", "ElevationRequirement": "elevatesSelf",
    "InstallerSwitches": {"Silent": "/S", "SilentWithProgress": "/S", "Log": '/LOG="<LOGPATH>"', "Custom": "/ALLUSERS", "InstallLocation": '/D="<INSTALLPATH>"'},
    "ExpectedReturnCodes": [{"InstallerReturnCode": 1, "ReturnResponse": "cancelledByUser"}, {"InstallerReturnCode": 3, "ReturnResponse": "packageInUse"},
                            {"InstallerReturnCode": 1618, "ReturnResponse": "installInProgress"}],
    "AppsAndFeaturesEntries": [{"DisplayName": "Nimbet 2 Alpha", "Publisher": "Orvanex", "DisplayVersion": "0.1", "ProductCode": "Nimbet 2 Alpha"}],
    "Installers": [{"Architecture": "x86", "InstallerUrl": "https://example.com/n.zip", "InstallerSha256": sha}]}
# The setup's command line as winget assembles it (the experience, Log, Custom, then with
# --location InstallLocation), with and without a location, for the runs below.
s = i["InstallerSwitches"]
line = " ".join((s["SilentWithProgress"], s["Log"], s["Custom"])).replace("<LOGPATH>", r"C:\winget.log")
for name, end in (("located", " " + s["InstallLocation"].replace("<INSTALLPATH>", r"C:\winget here")), ("machine", "")):
    open(name + ".bat", "w").write("@dist\\setup.exe " + line + end + "\r\n")
EOF
# Run so, the setup installs where the user said, else under Program Files (32-bit Windows'
# name for it in this prefix).
wine cmd /c located.bat && [ -f "$WINEPREFIX/drive_c/winget here/Nim2Alph.exe" ] &&
    [ ! -e "$WINEPREFIX/drive_c/Program Files/Nimbet 2 Alpha" ] || fail "winget with --location"
wine cmd /c machine.bat && [ -f "$WINEPREFIX/drive_c/Program Files/Nimbet 2 Alpha/Nim2Alph.exe" ] ||
    fail "winget without --location"
rm -rf "$WINEPREFIX/drive_c/winget here" "$WINEPREFIX/drive_c/Program Files/Nimbet 2 Alpha"
(cd release && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS"
[ "$(awk '{print $2}' release/SHA256SUMS | paste -s -d ' ' -)" = "${zip#*/} ${iso#*/}" ] || fail "SHA256SUMS lists $(cat release/SHA256SUMS)"
[ "$(stat -c %a release release/winget)" = "755
755" ] || fail "the release is not readable by others"
printf x | dd of=$zip bs=1 seek=100 conv=notrunc 2>/dev/null
! (cd release && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1) || fail "SHA256SUMS passes a changed zip"

# SIGN_PRODUCT=1 signs a program among the product's files in dist only; without it, or for
# other files (a text options.exe), dist holds the maker's bytes.
mkdir sp && cp -RL product sp/product && cp "$exe" sp/product/Nim2Alph.exe && cd sp
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj "/CN=Orvanex test" \
    -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature 2>/dev/null
PFX_PASSWORD=s openssl pkcs12 -export -inkey key.pem -in cert.pem -out signer.pfx -passout env:PFX_PASSWORD
sh "$src/scripts/make-dist.sh" product "$exe" dist >/dev/null && cmp "$exe" dist/Nim2Alph.exe || fail "signed unasked"
# Without an uninstaller of the maker's the project's goes in, a program signed like the others.
rm product/Unsetup.exe product/UNSETUP.BAT && (ls -l --full-time product && cksum product/*) >before
out=$(SIGN_PRODUCT=1 PFX=signer.pfx PFX_PASSWORD=s sh "$src/scripts/make-dist.sh" product "$exe" dist 2>/dev/null)
echo "$out" | grep -qx "dist: Unsetup.bat is the project's" && cmp "$src/resources/Unsetup.bat" dist/Unsetup.bat ||
    fail "the project's Unsetup.bat: $out"
for name in Nim2Alph.exe Unsetup.exe; do osslsigncode verify -CAfile cert.pem -in dist/$name >/dev/null || fail "$name is not signed"; done
for name in tour.kvr options.exe; do cmp product/$name dist/$name; done &&
    ! osslsigncode verify -CAfile cert.pem -in dist/setup.exe >/dev/null 2>&1 || fail "other files"
(ls -l --full-time product && cksum product/*) | cmp before - || fail "the maker's folder changed"
wine dist/setup.exe /VERIFY /S || fail "the product's signed programs do not pass /VERIFY"
# make sign: the project's uninstaller signed again, the table anew, setup.exe last, still vouching for it.
PFX_PASSWORD=s sh "$src/scripts/sign-dist.sh" dist signer.pfx "$(dirname "$exe")/Unsetup.exe" >/dev/null
osslsigncode verify -CAfile cert.pem -in dist/Unsetup.exe | grep -q "Text description: Nimbet 2 Alpha Uninstall" &&
    osslsigncode verify -CAfile cert.pem -in dist/setup.exe >/dev/null && wine dist/setup.exe /VERIFY /S ||
    fail "make sign's dist"
! sh "$src/scripts/make-release.sh" dist release | grep 'not signed' || fail "a signed setup.exe is called unsigned"
cd ..

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
