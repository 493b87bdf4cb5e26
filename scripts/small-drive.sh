#!/bin/sh
# A small drive for the tests: a tmpfs of a given size mounted on the host and
# mapped as a drive letter of the rig's Wine prefix, so that code under test
# meets a drive that is really short of space.
#
#   small-drive.sh mount RIGDIR LETTER SIZE [FOLDER]
#                                             mount a SIZE tmpfs (mount's size=, e.g. 3m), map LETTER:,
#                                             and with FOLDER show it as C:\FOLDER too, a folder on
#                                             drive C: that is another volume (a mounted folder)
#   small-drive.sh umount RIGDIR LETTER       unmap and unmount it
#   small-drive.sh umount-all RIGDIR          every small drive of the rig
#
# The tmpfs sits in RIGDIR/drives/LETTER, outside the prefix. Where mounting is
# not permitted (not root, no tmpfs), mount maps nothing, leaves the reason in
# RIGDIR/drives/LETTER.unavailable and still succeeds: tests that need the
# drive then report themselves skipped with that reason.
set -eu

usage() { echo "usage: $0 mount RIGDIR LETTER SIZE | umount RIGDIR LETTER | umount-all RIGDIR" >&2; exit 2; }
[ $# -ge 2 ] || usage
action=$1
rig=$(mkdir -p "$2" && cd "$2" && pwd)
drives="$rig/drives"

unmap() {
    letter=$1
    rm -f "$rig/prefix/dosdevices/$letter:"
    [ ! -f "$drives/$letter.folder" ] || rm -f "$rig/prefix/drive_c/$(cat "$drives/$letter.folder")" "$drives/$letter.folder"
    if mountpoint -q "$drives/$letter" 2>/dev/null; then
        umount "$drives/$letter" || umount -l "$drives/$letter"
    fi
    rm -f "$drives/$letter.unavailable"
    rmdir "$drives/$letter" 2>/dev/null || true
}

case $action in
mount)
    [ $# -eq 4 ] || [ $# -eq 5 ] || usage
    letter=$(echo "$3" | tr 'A-Z' 'a-z') size=$4 folder=${5:-}
    [ -d "$rig/prefix/dosdevices" ] || { echo "small-drive: $rig has no Wine prefix" >&2; exit 1; }
    unmap "$letter" # left over from an interrupted run
    mkdir -p "$drives/$letter"
    if ! why=$(mount -t tmpfs -o "size=$size" tmpfs "$drives/$letter" 2>&1); then
        rmdir "$drives/$letter"
        echo "cannot mount a $size tmpfs for drive $letter: as user $(id -un): $why" >"$drives/$letter.unavailable"
        echo "small-drive: $(cat "$drives/$letter.unavailable")"
        exit 0
    fi
    ln -s "$drives/$letter" "$rig/prefix/dosdevices/$letter:"
    echo "small-drive: drive $letter: is a $size tmpfs at $drives/$letter"
    if [ -n "$folder" ]; then
        echo "$folder" >"$drives/$letter.folder"
        ln -s "$drives/$letter" "$rig/prefix/drive_c/$folder"
        printf 'small-drive: and as C:\\%s\n' "$folder"
    fi
    ;;
umount)
    [ $# -eq 3 ] || usage
    unmap "$(echo "$3" | tr 'A-Z' 'a-z')"
    ;;
umount-all)
    for dir in "$drives"/*; do
        case $dir in
        *.unavailable) rm -f "$dir" ;;
        *.folder) ;;
        *) [ ! -d "$dir" ] || unmap "$(basename "$dir")" ;;
        esac
    done
    ;;
*) usage ;;
esac
