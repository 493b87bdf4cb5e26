#!/bin/sh
# Signs a distribution folder for release, in the one order that keeps every
# signature true: the project's own Unsetup.exe first, then the digest table
# in setup.exe filled again (the uninstaller's bytes changed; a dist laid out
# without a table keeps none), and setup.exe last, whose signature then covers
# the table. A maker's own Unsetup.exe is product, signed only by make dist's
# SIGN_PRODUCT=1; the project's is told by its bytes, a signature left out.
# Usage: PFX_PASSWORD=... [TIMESTAMP_URL=...] sign-dist.sh DIST_DIR PFX BUILT_UNSETUP.EXE
set -u
dist=$1 pfx=${2:-} built=$3
here=$(dirname "$0")
. "$here/product-facts.sh"
uninstaller="$dist/Unsetup.exe"

# The same program as built, whether or not an earlier run signed it.
is_projects() {
    [ -f "$built" ] && [ -f "$uninstaller" ] || return 1
    cmp -s "$built" "$uninstaller" && return 0
    unsigned=$(mktemp -u "$dist/unsigned.XXXXXX")
    osslsigncode remove-signature -in "$uninstaller" -out "$unsigned" >/dev/null 2>&1
    cmp -s "$built" "$unsigned" 2>/dev/null
    status=$?
    rm -f "$unsigned"
    return $status
}

if is_projects; then
    sh "$here/sign-setup.sh" "$uninstaller" "$pfx" "$product_name Uninstall" || exit 1
    perl "$here/stamp-digests.pl" --again "$dist" || exit 1
fi
exec sh "$here/sign-setup.sh" "$dist/setup.exe" "$pfx"
