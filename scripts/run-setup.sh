#!/bin/sh
# Runs setup.exe from the distribution folder under the project's private Wine.
# On a desktop (a reachable $DISPLAY) the setup opens there for the user to
# click through. Without one it installs the sample product on a virtual
# display, saving screenshots of the input and completion pages. Either way it
# then shows where the product went inside the Wine prefix and what the
# registry holds.
# With "uninstall" it removes that install from the same prefix with the
# product's uninstaller, as the list of programs starts it (on a desktop, its
# questions are yours to answer) or, without a display, as a deployment tool
# does, with its quiet command and a log; then it shows what is left.
# Usage: run-setup.sh BUILD_DIR [uninstall]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
rig="$build/wine-run"
dist="$build/dist"
shots="$build/screenshots"
drive="$build/tests/drive.exe"

. "$here/product-facts.sh"

# Control ids of the setup dialog.
CTL_DONE=1004 CTL_EXIT=1006 CTL_CONTINUE=1007

summary() {
    dir="$WINEPREFIX/drive_c/$product_name"
    if [ -d "$dir" ]; then
        echo "run: the product was installed to C:\\$product_name, that is $dir:"
        ls -l "$dir" | sed 1d
    else
        echo "run: nothing was installed to C:\\$product_name"
    fi
    [ -f "$WINEPREFIX/drive_c/windows/SETUP.INI" ] &&
        echo "run: the Start menu group file is $WINEPREFIX/drive_c/windows/SETUP.INI"
    group=$(find "$WINEPREFIX/drive_c/users" -type d -path "*/Start Menu/Programs/$product_name" 2>/dev/null | head -n 1)
    if [ -n "$group" ]; then
        echo "run: the Start menu group (Wine has no converter, so the setup made the links) is $group:"
        ls -1 "$group" | sed 's/^/    /'
    fi
    echo "run: registry values written:"
    for key in "HKCU\\Software\\$product_publisher\\$product_name" \
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product_name"; do
        wine reg query "$key" 2>/dev/null | tr -d '\r' | sed -n 's/^ \{4\}/    /p' || true
    done
}

screenshot() {
    file="$shots/$1"
    rect=$(wine "$drive" wait-dialog 30) || { echo "run: the setup dialog is gone" >&2; exit 1; }
    set -- $rect
    sleep 0.5 # let the dialog finish painting
    xwd -root -silent -display "$DISPLAY" | convert xwd:- -crop "${3}x${4}+${1}+${2}" +repage "$file"
    echo "run: screenshot $file"
}

wait_for_exit() {
    i=0
    while kill -0 "$1" 2>/dev/null; do
        i=$((i + 1))
        [ $i -le 300 ] || { echo "run: the setup did not end" >&2; kill "$1"; exit 1; }
        sleep 0.1
    done
    wait "$1"
}

entry="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product_name"

# What an install leaves, one line each: gone, or where it still is.
leftovers() {
    c="$WINEPREFIX/drive_c"
    for path in "$c/$product_name" "$c/windows/SETUP.INI" \
        "$(find "$c/users" -type d -path "*/Start Menu/Programs/$product_name" 2>/dev/null | head -n 1)"; do
        [ -z "$path" ] || [ ! -e "$path" ] || echo "run: left: $path"
    done
    for key in "HKCU\\Software\\$product_publisher" "$entry" "HKCU\\${entry#HKLM\\}"; do
        ! wine reg query "$key" >/dev/null 2>&1 || echo "run: left: $key"
    done
}

uninstall() {
    WINE_RIG_KEEP=1 "$here/wine-rig.sh" start "$rig"
    trap '"$here/wine-rig.sh" stop "$rig"' EXIT
    . "$rig/env"
    command=$(wine reg query "$entry" /v QuietUninstallString 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
    [ -n "$command" ] || { echo "run: no install of $product_name to remove (make run installs one)"; exit 1; }
    code=0
    if [ -n "${WINE_RIG_DISPLAY:-}" ]; then
        echo "run: the uninstaller asks you on your display $DISPLAY"
        wine uninstaller --remove "$product_name" || code=$?
    else
        log="$build/uninstall.log"
        echo "run: no display; running the quiet uninstall command: $command"
        eval "set -- $command"
        wine "$@" "/LOG=$(winepath -w "$log")" || code=$?
        echo "run: its log, $log:"
        sed 's/^/    /' "$log"
    fi
    echo "run: the uninstaller ended with exit code $code"
    # Its last step removes it and the folder once it has ended.
    i=0
    while [ -e "$WINEPREFIX/drive_c/$product_name" ] && [ $i -lt 100 ]; do
        i=$((i + 1))
        sleep 0.2
    done
    left=$(leftovers)
    if [ -z "$left" ]; then echo "run: nothing of $product_name is left"; else echo "$left"; fi
    exit 0
}

if [ "${2:-}" = uninstall ]; then
    [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1 || WINE_RIG_DISPLAY="$DISPLAY"
    uninstall
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "run: opening the setup on your display $DISPLAY"
    WINE_RIG_DISPLAY="$DISPLAY" "$here/wine-rig.sh" start "$rig"
    trap '"$here/wine-rig.sh" stop "$rig"' EXIT
    . "$rig/env"
    (cd "$dist" && wine "$dist/setup.exe")
    echo "run: the setup has ended"
    summary
    exit 0
fi

echo "run: no display; installing the sample product on a virtual display"
"$here/wine-rig.sh" start "$rig"
trap '"$here/wine-rig.sh" stop "$rig"' EXIT
. "$rig/env"
mkdir -p "$shots"

(cd "$dist" && wine "$dist/setup.exe") &
setup=$!
wine "$drive" wait-dialog 30 >/dev/null || { echo "run: the setup dialog did not appear" >&2; exit 1; }
screenshot input-page.png
wine "$drive" click $CTL_CONTINUE
wine "$drive" wait-visible $CTL_DONE 60 || { echo "run: the completion page did not appear" >&2; exit 1; }
screenshot completion-page.png
wine "$drive" click $CTL_EXIT
wait_for_exit $setup
echo "run: the setup ended"
summary
