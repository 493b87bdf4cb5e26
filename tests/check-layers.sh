#!/bin/sh
# Checks that the program's folders depend downward only: a file may include
# the headers of its own folder and of the layers below it, never of one beside
# or above it (base/ at the bottom; install/ and register/ above it; each
# program's own folder on top). The link of each layer alone checks the calls.
# Usage: check-layers.sh SOURCE_DIR
set -u
cd "$1" || exit 1
rank() {
    case $1 in
    base) echo 0 ;;
    install | register) echo 1 ;;
    setup | uninstall) echo 2 ;;
    *) echo 9 ;;
    esac
}
fail=0
for folder in base install register setup uninstall; do
    [ -d "$folder" ] || continue
    own=$(rank "$folder")
    for file in "$folder"/*.cpp "$folder"/*.h; do
        [ -f "$file" ] || continue
        for used in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z]*\)\/.*/\1/p' "$file"); do
            [ "$used" = "$folder" ] && continue
            if [ "$(rank "$used")" -ge "$own" ]; then
                echo "FAIL: $file includes a header of $used/, which is not below $folder/"
                fail=1
            fi
        done
    done
done
[ $fail -eq 0 ] && echo "every include runs downward"
exit $fail
