#!/bin/sh
# Checks the built setup.exe as Windows 95 will see it: a stripped PE32 GUI
# program for subsystem 4.0 whose imports are exactly the allowlist (functions
# that Windows 95 already had, from its own system DLLs only).
# Usage: check-pe.sh OBJDUMP SETUP.EXE ALLOWLIST
set -u
objdump=$1 exe=$2 allow=$3
fail=0
bad() { echo "FAIL: $*"; fail=1; }

headers=$("$objdump" -p "$exe") || { echo "FAIL: cannot read $exe"; exit 1; }
field() { echo "$headers" | awk -v k="$1" '$1 == k { print $2; exit }'; }

[ "$(field Magic)" = "010b" ] || bad "not PE32 (Magic $(field Magic))"
[ "$(field Subsystem)" = "00000002" ] || bad "not the Windows GUI subsystem ($(field Subsystem))"
[ "$(field MajorSubsystemVersion)" = "4" ] && [ "$(field MinorSubsystemVersion)" = "0" ] ||
    bad "subsystem version $(field MajorSubsystemVersion).$(field MinorSubsystemVersion), want 4.0"
"$objdump" -f "$exe" | grep -q HAS_SYMS && bad "not stripped"
# The short MS-DOS header keeps all headers in one 512-byte block (scripts/trim-pe.pl).
[ "$(field SizeOfHeaders)" = "00000200" ] || bad "headers take $(field SizeOfHeaders) bytes, want 200 (hex)"
# TERMINAL_SERVER_AWARE: on a Remote Desktop host SETUP.INI goes to the real Windows directory.
[ $((0x$(field DllCharacteristics) & 0x8000)) -ne 0 ] ||
    bad "not marked aware of Remote Desktop Services (DllCharacteristics $(field DllCharacteristics))"

# Windows 95 runs on a 386: none of the Pentium Pro's conditional moves, which a 486 or a
# Pentium refuses. (The code section also holds read-only data, which could in principle
# read as one; the message names the place to look.)
p6=$("$objdump" -d "$exe" | grep -E '[[:space:]](cmov|fcmov|fcomi|fucomi)' | head -n 3)
[ -z "$p6" ] || bad "Pentium Pro instructions: $p6"

# "DLL function" for every import, DLL names upper-cased.
imports=$(echo "$headers" | awk '
    /^The Import Tables/ { inside = 1; next }
    /^The Export Tables|^PE File Base Relocations|^The Function Table|^The .rsrc/ { inside = 0 }
    inside && /DLL Name:/ { dll = toupper($3); next }
    inside && dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }')
[ -n "$imports" ] || bad "no imports found"

allowed=$(grep -v -e '^#' -e '^[[:space:]]*$' "$allow" | awk '{ print toupper($1), $2 }')
echo "$imports" | while read -r dll fn; do
    echo "$allowed" | grep -qx "$dll $fn" || { echo "FAIL: import not allowed: $dll $fn"; exit 1; }
done || fail=1
# The list stays exact, so that a call the program no longer makes is not left allowed.
echo "$allowed" | while read -r dll fn; do
    echo "$imports" | grep -qx "$dll $fn" || { echo "FAIL: allowed but not imported: $dll $fn"; exit 1; }
done || fail=1

count=$(echo "$imports" | wc -l)
size=$(wc -c <"$exe")
if [ $fail -eq 0 ]; then
    echo "ok: $exe is PE32, GUI 4.0, stripped, $size bytes, $count allowed imports"
fi
exit $fail
