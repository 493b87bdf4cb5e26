#!/bin/sh
# Packs the distribution folder for shipping into RELEASE_DIR: a zip for the
# download, its files in one folder named after the product, and a CD image,
# ISO 9660 with Joliet names (and Rock Ridge for Unix readers), its files at the
# root beside an AUTORUN.INF that starts the setup. Both are named
# <name>-<version> with the name's spaces as hyphens, which a URL and a shell
# take as they are. Every entry gets one time, one mode and a fixed order, so
# the same files give the same bytes. Beside them SHA256SUMS, for sha256sum -c, and
# with RELEASE_URL (where the zip will be downloaded from) a winget manifest of
# the zip in winget/. RELEASE_DIR is replaced only when all of it was made.
# Usage: [RELEASE_URL=https://...] make-release.sh DIST_DIR RELEASE_DIR
set -eu
dist=$1 release=$2
. "$(dirname "$0")/product-facts.sh"
fail() {
    echo "release: $*" >&2
    exit 1
}

command -v zip >/dev/null 2>&1 || fail "zip is missing (scripts/install-deps.sh installs it)"
command -v xorriso >/dev/null 2>&1 || fail "xorriso is missing (scripts/install-deps.sh installs it)"
for name in setup.exe $product_files; do
    [ -f "$dist/$name" ] || fail "$dist/$name not found (make dist lays it out)"
done
url=${RELEASE_URL:-}
# The manifest holds it as one quoted YAML scalar.
case $url in
'' | https://*) ;;
*) fail "RELEASE_URL must be the https URL of the zip: $url" ;;
esac
case $url in *[\"\'\ ]*) fail "RELEASE_URL must not hold quotes or blanks: $url" ;; esac

base="$(echo "$product_name" | tr ' ' '-')-$product_version"
# The reproducible-builds convention: SOURCE_DATE_EPOCH, else the source's last commit.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$(dirname "$0")" log -1 --format=%ct 2>/dev/null || date +%s)}
mkdir -p "$(dirname "$release")"
work=$(cd "$(mktemp -d "$release.new.XXXXXX")" && pwd) # absolute: zip runs in a subfolder
trap 'rm -rf "$work" "$work.old"' EXIT
trap 'exit 1' HUP INT TERM

folder="$work/zip/$product_name" cd="$work/cd"
mkdir -p "$folder" "$cd" "$work/out"
set --
for name in setup.exe $product_files; do
    cp "$dist/$name" "$folder/$name"
    cp "$dist/$name" "$cd/$name"
    set -- "$@" "$product_name/$name"
done
printf '[autorun]\r\nopen=setup.exe\r\nicon=setup.exe\r\n' >"$cd/AUTORUN.INF"
chmod 644 "$folder"/* "$cd"/*
chmod 755 "$folder" "$cd"
find "$work/zip" "$cd" -exec touch -d "@$epoch" {} +

# zip keeps local times: UTC makes them the same everywhere. -X leaves out the
# owner and the extra time stamps.
(cd "$work/zip" && TZ=UTC zip -q -X "$work/out/$base.zip" "$product_name/" "$@")
# ISO 9660 names are the 8.3 upper-case ones; Windows shows Joliet's. The volume
# id holds 32 characters (Joliet shows the first 16).
SOURCE_DATE_EPOCH=$epoch xorriso -as mkisofs -quiet -r -J -V "$(printf '%.32s' "$product_name")" \
    -o "$work/out/$base.iso" "$cd" 2>"$work/xorriso.log" || fail "xorriso: $(grep -i -m 1 -e failure -e error "$work/xorriso.log")"

(cd "$work/out" && sha256sum "$base.zip" "$base.iso" >SHA256SUMS)

# The three files of a multi-file winget manifest (schema 1.6.0): winget unpacks
# the zip and runs the setup in it. The uninstall entry's key is the product's
# name, which is what winget matches as the product code. A machine-wide install
# goes under Program Files (/ALLUSERS, in Custom, which winget always passes)
# unless the user gives --location: winget puts InstallLocation's /D= after
# every other switch, where it must be.
id="$product_publisher.$(echo "$product_name" | tr -d ' ')"
write_manifest() { # the file's name after the identifier, the manifest type; the fields on stdin
    file="$work/out/winget/$id$1.yaml"
    printf '%s\n' "# Written by scripts/make-release.sh" "PackageIdentifier: $id" \
        "PackageVersion: '$product_version'" >"$file"
    cat >>"$file"
    printf '%s\n' "ManifestType: $2" "ManifestVersion: 1.6.0" >>"$file"
}
if [ -n "$url" ]; then
    mkdir "$work/out/winget"
    sha=$(sha256sum "$work/out/$base.zip" | cut -d ' ' -f 1 | tr a-f A-F)
    echo "DefaultLocale: en-US" | write_manifest "" version
    write_manifest .locale.en-US defaultLocale <<EOF
PackageLocale: en-US
Publisher: $product_publisher
PackageName: $product_name
License: Proprietary
ShortDescription: $product_name, installed by its own setup.
EOF
    write_manifest .installer installer <<EOF
InstallerType: zip
NestedInstallerType: exe
NestedInstallerFiles:
  - RelativeFilePath: $product_name/setup.exe
Scope: machine
ElevationRequirement: elevatesSelf
InstallModes:
  - interactive
  - silent
  - silentWithProgress
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
  Log: /LOG="<LOGPATH>"
  Custom: /ALLUSERS
  InstallLocation: /D="<INSTALLPATH>"
ExpectedReturnCodes:
  - InstallerReturnCode: 1
    ReturnResponse: cancelledByUser
  - InstallerReturnCode: 3
    ReturnResponse: packageInUse
  - InstallerReturnCode: 1618
    ReturnResponse: installInProgress
AppsAndFeaturesEntries:
  - DisplayName: $product_name
    Publisher: $product_publisher
    DisplayVersion: '$product_version'
    ProductCode: $product_name
Installers:
  - Architecture: x86
    InstallerUrl: '$url'
    InstallerSha256: $sha
EOF
fi

chmod -R a+rX "$work/out"
[ ! -e "$release" ] || mv "$release" "$work.old"
mv "$work/out" "$release"
echo "release: $release:"
ls -l "$release" | sed 1d
# What the maker may not have meant, one line each.
[ -n "$url" ] || echo "release: no winget manifest: RELEASE_URL=<https URL of the zip> writes one"
# A signed program has a certificate table, data directory 4: its size 156 bytes after "PE".
header=$(od -An -tu4 -j 60 -N 4 "$dist/setup.exe" | tr -d ' ')
[ "$(od -An -tu4 -j $((header + 156)) -N 4 "$dist/setup.exe" | tr -d ' ')" != 0 ] ||
    echo "release: setup.exe is not signed: make release PFX=<file.pfx> signs it"
! grep -q 'SAMPLE FILE - not part of any product' "$dist/$(echo "$product_files" | head -n 1)" ||
    echo "release: the release holds the sample files: make release PRODUCT=<folder> packs the product's"
