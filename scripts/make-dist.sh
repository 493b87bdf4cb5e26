#!/bin/sh
# Lays out the distribution folder from the maker's own product files: setup.exe
# beside the files of the setup's file table, each found in PRODUCT_DIR without
# regard to letter case and written under the table's name, as the setup opens
# it, and records their sizes and digests in that folder's setup.exe
# (scripts/stamp-digests.pl). The uninstaller and its batch file (rows 6 and 7)
# are the maker's where PRODUCT_DIR has them, otherwise the project's: the
# Unsetup.exe built beside SETUP.EXE and resources/Unsetup.bat; a line says which. Everything is checked in a new folder beside
# DIST_DIR, which replaces it only when all is well; otherwise DIST_DIR stays
# as it was, and the status is non-zero with one line for each problem.
# With SIGN_PRODUCT=1 (and PFX, as for scripts/sign-setup.sh) each product file
# that is a Windows program is signed in the new folder, never in PRODUCT_DIR,
# before its size and digest are recorded.
# Usage: [SIGN_PRODUCT=1 PFX=... PFX_PASSWORD=... TIMESTAMP_URL=...] make-dist.sh PRODUCT_DIR SETUP.EXE DIST_DIR
set -eu
product=$1 exe=$2 dist=$3
. "$(dirname "$0")/product-facts.sh"
say() { echo "dist: $*" >&2; }

[ -d "$product" ] || { say "$product is not a folder"; exit 1; }
[ -f "$exe" ] || { say "$exe not found (make builds it)"; exit 1; }
signing=${SIGN_PRODUCT:-}
[ "$signing" != 1 ] || [ -n "${PFX:-}" ] || { say "SIGN_PRODUCT=1 needs PFX=<file.pfx>"; exit 1; }
mkdir -p "$(dirname "$dist")"
work=$(mktemp -d "$dist.new.XXXXXX")
trap 'rm -rf "$work" "$work.old"' EXIT
trap 'exit 1' HUP INT TERM

# Linux tells names apart by case and Windows does not: two such files would
# leave which one the setup installs to chance.
problems=0 whose='' newline='
'
uninstaller=$(echo "$product_files" | sed -n 7p) batch=$(echo "$product_files" | sed -n 8p)
project_file() { # the project's own file for a row the maker may leave out
    case $1 in
    "$uninstaller") echo "$(dirname "$exe")/Unsetup.exe" ;;
    "$batch") echo "$(dirname "$0")/../resources/Unsetup.bat" ;;
    esac
}
for name in $product_files; do
    found=$(find "$product" -mindepth 1 -maxdepth 1 -iname "$name")
    own=$(project_file "$name")
    if [ -n "$own" ] && [ -z "$found" ]; then
        [ -f "$own" ] || { say "$own not found (make builds it)"; exit 1; }
        found=$own
        whose="${whose}dist: $name is the project's$newline"
    elif [ -n "$own" ]; then
        whose="${whose}dist: $name is the maker's$newline"
    fi
    case $found in
    '') say "$name is missing from $product" ;;
    *"$newline"*) say "$name is matched by more than one file: $(echo "$found" | LC_ALL=C sort | paste -s -d ' ' -)" ;;
    *) if [ -f "$found" ]; then cp "$found" "$work/$name"; continue; fi
        say "$found is not a regular file" ;;
    esac
    problems=$((problems + 1))
done

# A Windows program: "MZ", and at the offset the MS-DOS header keeps at 60, "PE\0\0".
# Smart App Control blocks an unsigned one on Windows 11 with no way to run it anyway.
is_program() {
    [ "$(head -c 2 "$1")" = MZ ] || return 1
    header=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
    [ -n "$header" ] && [ "$(od -An -tx1 -j "$header" -N 4 "$1" | tr -d ' ')" = 50450000 ]
}
if [ $problems -eq 0 ] && [ "$signing" = 1 ]; then
    for name in $product_files; do
        if is_program "$work/$name"; then
            sh "$(dirname "$0")/sign-setup.sh" "$work/$name" "$PFX" "$product_name" >&2 || exit 1
        fi
    done
fi
# After signing, which makes the programs larger.
total=$(cat "$work"/* 2>/dev/null | wc -c)
if [ "$total" -gt "$required_bytes" ]; then
    say "the files total $total bytes, over the $required_bytes of PRODUCT_REQUIRED_BYTES in resources/product.facts"
    problems=$((problems + 1))
fi
[ $problems -eq 0 ] || exit 1

cp "$exe" "$work/setup.exe"
chmod 755 "$work" # mktemp made it private

# The sizes and digests of exactly the files laid out, in the copy of setup.exe beside them.
perl "$(dirname "$0")/stamp-digests.pl" "$work" >/dev/null

[ ! -e "$dist" ] || mv "$dist" "$work.old"
mv "$work" "$dist"
printf '%s' "$whose"
echo "dist: $dist holds setup.exe and the $file_count files of $product ($total bytes)"
