#!/bin/sh
# A private Wine for the tests and the run command: its own 32-bit prefix and
# its own virtual X display, both under a directory of the build tree, so that
# nothing touches ~/.wine or the user's screen.
#
#   wine-rig.sh start DIR [LOCALE]   fresh prefix from a cached template, Xvfb,
#                             wineserver; every process of the rig in LOCALE if given
#                             (with WINE_RIG_KEEP=1 an existing prefix is kept as it is)
#   wine-rig.sh run DIR CMD   run CMD (a .exe through wine) inside the rig
#   wine-rig.sh env DIR       print the rig's environment as shell exports
#   wine-rig.sh stop DIR      stop the wineserver and the display
#
# With WINE_RIG_DISPLAY set (for example to the user's own :0), start uses that
# display instead of a virtual one. The booted prefix template is cached beside
# DIR, in its parent's wine-template, and shared by every rig of the build tree.
#
# Wine takes each process's ANSI code page from its locale when the process
# starts (ja_JP.UTF-8 gives 932), and writes that locale into the user's
# registry then: a rig with a locale of its own therefore has its own prefix.
set -eu

usage() { echo "usage: $0 start|run|env|stop DIR [CMD...]" >&2; exit 2; }
[ $# -ge 2 ] || usage
action=$1
rig=$(mkdir -p "$2" && cd "$2" && pwd)
shift 2

base_env() {
    export WINEARCH=win32
    export WINEDEBUG=-all
    # No Mono/Gecko prompts, and no menu entries written into the user's home.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export XDG_CONFIG_HOME="$rig/xdg/config" XDG_DATA_HOME="$rig/xdg/data" XDG_CACHE_HOME="$rig/xdg/cache"
}

load_env() {
    [ -f "$rig/env" ] || { echo "wine-rig: $rig is not started" >&2; exit 1; }
    . "$rig/env"
}

start_display() {
    rm -f "$rig/display" "$rig/xvfb.pid"
    if [ -n "${WINE_RIG_DISPLAY:-}" ]; then
        echo "${WINE_RIG_DISPLAY#:}" >"$rig/display"
        return 0
    fi
    # -displayfd picks a free display number and writes it once the server is ready.
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
        3>"$rig/display" </dev/null >"$rig/xvfb.log" 2>&1 &
    echo $! >"$rig/xvfb.pid"
    i=0
    while [ ! -s "$rig/display" ]; do
        i=$((i + 1))
        [ $i -le 100 ] || { echo "wine-rig: Xvfb did not start (see $rig/xvfb.log)" >&2; exit 1; }
        sleep 0.1
    done
}

make_template() {
    # A booted prefix with a virtual desktop, which spares the 2 s stall a bare
    # X server gives every window close. Built once per build tree, then copied.
    tmpl="$(dirname "$rig")/wine-template"
    [ -f "$tmpl/.rig-ready" ] && return 0
    echo "wine-rig: creating the Wine prefix template (once per build tree)"
    work="$tmpl.$$"
    rm -rf "$work"
    WINEPREFIX="$work" wineboot -i >"$rig/wineboot.log" 2>&1
    cat >"$rig/desktop.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
    WINEPREFIX="$work" wine regedit /S "$rig/desktop.reg" >>"$rig/wineboot.log" 2>&1
    WINEPREFIX="$work" wineserver -w
    touch "$work/.rig-ready"
    rm -rf "$tmpl"
    mv "$work" "$tmpl"
}

use_locale() {
    # Made from Debian's locale sources (package locales) into the build tree, once.
    locales="$(dirname "$rig")/locales"
    if [ ! -f "$locales/$1/LC_CTYPE" ]; then
        mkdir -p "$locales"
        localedef -i "${1%%.*}" -f "${1#*.}" "$locales/$1"
    fi
    export LOCPATH="$locales" LANG="$1" LC_ALL="$1"
}

case $action in
start)
    base_env
    [ ! -f "$rig/env" ] || "$0" stop "$rig" || true
    start_display
    export DISPLAY=":$(cat "$rig/display")"
    make_template
    [ $# -eq 0 ] || use_locale "$1"
    if [ -z "${WINE_RIG_KEEP:-}" ] || [ ! -d "$rig/prefix" ]; then
        rm -rf "$rig/prefix"
        cp -a "$(dirname "$rig")/wine-template" "$rig/prefix"
    fi
    export WINEPREFIX="$rig/prefix"
    {
        echo "export WINEARCH=$WINEARCH WINEDEBUG=$WINEDEBUG"
        echo "export WINEDLLOVERRIDES='$WINEDLLOVERRIDES'"
        echo "export XDG_CONFIG_HOME='$XDG_CONFIG_HOME' XDG_DATA_HOME='$XDG_DATA_HOME' XDG_CACHE_HOME='$XDG_CACHE_HOME'"
        echo "export WINEPREFIX='$WINEPREFIX' DISPLAY='$DISPLAY'"
        [ -z "${LOCPATH:-}" ] || echo "export LOCPATH='$LOCPATH' LANG=$LANG LC_ALL=$LC_ALL"
    } >"$rig/env"
    # One wineserver for the whole run: every test's process reuses it.
    wineserver -p </dev/null >"$rig/wineserver.log" 2>&1
    wine cmd /c exit </dev/null >>"$rig/wineserver.log" 2>&1 || true
    echo "wine-rig: prefix $WINEPREFIX on display $DISPLAY"
    ;;
run)
    [ $# -ge 1 ] || usage
    load_env
    case $1 in
    *.exe | *.EXE) exec wine "$@" ;;
    *) exec "$@" ;;
    esac
    ;;
env)
    load_env
    cat "$rig/env"
    ;;
stop)
    # Small drives a test run left mapped (scripts/small-drive.sh).
    [ ! -d "$rig/drives" ] || sh "$(dirname "$0")/small-drive.sh" umount-all "$rig" || true
    if [ -f "$rig/env" ]; then
        . "$rig/env"
        wineserver -k 2>/dev/null || true
        rm -f "$rig/env"
    fi
    if [ -f "$rig/xvfb.pid" ]; then
        kill "$(cat "$rig/xvfb.pid")" 2>/dev/null || true
        rm -f "$rig/xvfb.pid"
    fi
    ;;
*) usage ;;
esac
