#!/bin/sh
# Packs the distribution folder for shipping into RELEASE_DIR: a zip for the
# download, its files in one folder named after the product, and a CD image,
# ISO 9660 with Joliet names (and Rock Ridge for Unix readers), its files at the
# root beside an AUTORUN.INF that starts the setup. Both are named
# <name>-<version> with the name's spaces as hyphens, which a URL and a shell
# take as they are. Every entry gets one time, one mode and a fixed order, so
# the same files give the same bytes. RELEASE_DIR is replaced only when both
# files were made.
# Usage: make-release.sh DIST_DIR RELEASE_DIR
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

chmod 755 "$work/out"
[ ! -e "$release" ] || mv "$release" "$work.old"
mv "$work/out" "$release"
echo "release: $release:"
ls -l "$release" | sed 1d
