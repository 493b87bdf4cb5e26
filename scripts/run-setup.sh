#!/bin/sh
# Runs setup.exe from the distribution folder under the project's private Wine.
# On a desktop (a reachable $DISPLAY) the setup opens there for the user to
# click through; without one it runs on a virtual display, a screenshot of the
# dialog is saved, and the setup is closed again.
# Usage: run-setup.sh BUILD_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
rig="$build/wine-run"
dist="$build/dist"
shots="$build/screenshots"
drive="$build/tests/drive.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "run: opening the setup on your display $DISPLAY"
    WINE_RIG_DISPLAY="$DISPLAY" "$here/wine-rig.sh" start "$rig"
    trap '"$here/wine-rig.sh" stop "$rig"' EXIT
    (cd "$dist" && "$here/wine-rig.sh" run "$rig" "$dist/setup.exe")
    echo "run: the setup has ended; its Wine prefix is $rig/prefix"
    exit 0
fi

echo "run: no display; running the setup on a virtual display"
"$here/wine-rig.sh" start "$rig"
trap '"$here/wine-rig.sh" stop "$rig"' EXIT
. "$rig/env"
mkdir -p "$shots"

(cd "$dist" && wine "$dist/setup.exe") &
setup=$!
rect=$(wine "$drive" wait-dialog 30) || { echo "run: the setup dialog did not appear" >&2; exit 1; }
set -- $rect
sleep 0.5 # let the dialog finish painting
xwd -root -silent -display "$DISPLAY" | convert xwd:- -crop "${3}x${4}+${1}+${2}" +repage "$shots/input-page.png"
echo "run: the input page is in $shots/input-page.png"

wine "$drive" click 1008 # Cancel
i=0
while kill -0 $setup 2>/dev/null; do
    i=$((i + 1))
    [ $i -le 100 ] || { echo "run: the setup did not end" >&2; kill $setup; exit 1; }
    sleep 0.1
done
wait $setup
echo "run: the setup ended"
