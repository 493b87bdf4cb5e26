#!/bin/sh
# Installs everything the build, the tests and the run command need, from Debian's
# packages: the mingw-w64 cross toolchain, 32-bit Wine, a virtual X display and
# CMake/Ninja, osslsigncode and openssl for signing and its test, zip and xorriso
# for the release's archive and CD image (unzip for their test, python3-yaml to read
# its winget manifest), and the locale
# sources for the tests' Japanese code page. Does nothing when all of it is
# already present.
# With the argument "bench" it also installs what only the benchmark needs (NSIS).
set -eu

need=""
have() { command -v "$1" >/dev/null 2>&1; }
have i686-w64-mingw32-g++-posix || need="$need g++-mingw-w64-i686 binutils-mingw-w64-i686"
have i686-w64-mingw32-windres || need="$need binutils-mingw-w64-i686"
have wine || need="$need wine wine32:i386"
[ -e /usr/lib/wine/wine ] || [ -e /usr/lib/i386-linux-gnu/wine ] || need="$need wine32:i386"
have Xvfb || need="$need xvfb xauth"
have xwd || need="$need x11-apps"
have xdpyinfo || need="$need x11-utils"
[ -x /usr/bin/convert ] || need="$need imagemagick"
have cmake || need="$need cmake"
have ninja || need="$need ninja-build"
[ -d /usr/src/googletest ] || need="$need googletest"
have make || need="$need make"
have osslsigncode || need="$need osslsigncode"
have openssl || need="$need openssl"
have zip || need="$need zip"
have unzip || need="$need unzip"
have xorriso || need="$need xorriso"
python3 -c 'import yaml' 2>/dev/null || need="$need python3-yaml"
[ -f /usr/share/i18n/locales/ja_JP ] || need="$need locales"
if [ "${1:-}" = bench ]; then
    have makensis || need="$need nsis"
fi

if [ -z "$need" ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
echo "install-deps: installing:$need"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "install-deps: enabling the i386 architecture for 32-bit Wine"
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $need
