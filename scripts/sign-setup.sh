#!/bin/sh
# Signs setup.exe for release with Debian's osslsigncode: Authenticode, SHA-256,
# the setup's own title as the description (or the one given: make-dist.sh signs
# the product's programs with the product's name), and an RFC 3161 timestamp when a URL
# is given, so the signature outlives the certificate. The signed file is written
# beside setup.exe and replaces it only once signing succeeded: on any failure
# setup.exe is left as it was and one line says why.
# The password comes from the environment and reaches osslsigncode on a pipe
# from the shell's own printf (osslsigncode 2.5 reads "-readpass -" as a file name,
# so it is given as /dev/stdin), never on a command line that ps or make would show.
# Usage: PFX_PASSWORD=... [TIMESTAMP_URL=...] sign-setup.sh SETUP.EXE PFX [DESCRIPTION]
set -u
exe=$1 pfx=${2:-} description=${3:-}
fail() {
    echo "sign: $*" >&2
    exit 1
}

command -v osslsigncode >/dev/null 2>&1 || fail "osslsigncode is missing (scripts/install-deps.sh installs it)"
[ -n "$pfx" ] || fail "no certificate given: make sign PFX=<file.pfx>"
[ -f "$pfx" ] || fail "certificate file not found: $pfx"
[ -f "$exe" ] || fail "$exe not found (make dist lays it out)"

# The description is the setup's title, from the facts the program takes it from.
. "$(dirname "$0")/product-facts.sh"
description=${description:-$product_name Setup}
# A private folder beside setup.exe: osslsigncode will not overwrite a file, and
# the rename from there to setup.exe stays on one file system.
work=$(mktemp -d "$exe.XXXXXX") || fail "cannot write beside $exe"
trap 'rm -rf "$work"' EXIT
signed="$work/signed.exe" log="$work/log"
trap 'exit 1' HUP INT TERM

set -- sign -pkcs12 "$pfx" -h sha256 -n "$description" -in "$exe" -out "$signed"
[ -z "${TIMESTAMP_URL:-}" ] || set -- "$@" -ts "$TIMESTAMP_URL"
if [ -n "${PFX_PASSWORD:-}" ]; then
    printf '%s\n' "$PFX_PASSWORD" | osslsigncode "$@" -readpass /dev/stdin >"$log" 2>&1
else
    osslsigncode "$@" </dev/null >"$log" 2>&1
fi
status=$?

if [ $status -ne 0 ]; then
    grep -q 'Wrong password' "$log" && fail "the password does not open $pfx (wrong or missing PFX_PASSWORD)"
    fail "osslsigncode could not sign $exe: $(grep -v -e '^$' -e '^Failed$' -e '^Connecting to' "$log" | head -n 1)"
fi
chmod --reference="$exe" "$signed" && mv -f "$signed" "$exe" || fail "cannot replace $exe"
echo "sign: signed $exe (SHA-256, \"$description\"${TIMESTAMP_URL:+, timestamped by $TIMESTAMP_URL})"
