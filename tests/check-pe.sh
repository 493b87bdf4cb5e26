#!/bin/sh
# Checks the built setup.exe as Windows 95 will see it: a stripped PE32 GUI
# program for subsystem 4.0 whose imports are exactly the allowlist (functions
# that Windows 95 already had, from its own system DLLs only).
# With COMPACT 1 (the default: cmake/setup.ld and scripts/trim-pe.pl), also
# the fields the trim after the link writes; with 0, the linker's ordinary
# layout, only what every build must hold.
# Usage: check-pe.sh OBJDUMP SETUP.EXE ALLOWLIST [COMPACT]
set -u
objdump=$1 exe=$2 allow=$3 compact=${4:-1}
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
[ "$compact" = 0 ] || [ "$(field SizeOfHeaders)" = "00000200" ] ||
    bad "headers take $(field SizeOfHeaders) bytes, want 200 (hex)"
# TERMINAL_SERVER_AWARE: on a Remote Desktop host SETUP.INI goes to the real Windows directory.
[ $((0x$(field DllCharacteristics) & 0x8000)) -ne 0 ] ||
    bad "not marked aware of Remote Desktop Services (DllCharacteristics $(field DllCharacteristics))"

# No bound imports: with no lookup tables left (scripts/trim-pe.pl) the file can never be bound.
[ "$compact" = 0 ] || [ $((0x$(field DllCharacteristics) & 0x0800)) -ne 0 ] ||
    bad "not marked no-bind (DllCharacteristics $(field DllCharacteristics))"

# Windows 95 runs on a 386: none of the 486's (bswap, cmpxchg, xadd), the Pentium's (cpuid,
# rdtsc, cmpxchg8b) or the Pentium Pro's conditional moves. (The code section also holds
# read-only data, which could in principle read as one; the message names the place to look.)
late=$("$objdump" -d "$exe" | grep -E '[[:space:]](cmov|fcmov|fcomi|fucomi|bswap|cmpxchg|xadd|cpuid|rdtsc)' | head -n 3)
[ -z "$late" ] || bad "instructions a 386 lacks: $late"

# What Windows reads and Wine ignores, from the bytes themselves: the MS-DOS header and
# program (scripts/trim-pe.pl), a time stamp of 0 (the same sources give the same file), the
# checksum (16-bit sums with the carry folded in, the field itself as 0, plus the file's
# length), 20 bytes of import descriptor for each DLL and the zero one that ends them, and
# the bytes of .idata past its used size zero (the cut lookup tables leave none).
dlls=$(echo "$headers" | grep -c 'DLL Name:')
perl -e '
    my ($exe, $dlls, $compact) = @ARGV;
    open(my $in, "<:raw", $exe) or die "$exe: $!\n";
    my $image = do { local $/; <$in> };
    sub u16 { unpack("v", substr($image, $_[0], 2)) }
    sub u32 { unpack("V", substr($image, $_[0], 4)) }
    my $dos = "4d5a40000100000002000000ffff0000b8000000000000004000000000000000" .
              "ba0c01b409cd21b8014ccd214e656564732057696e646f77730d0a2440000000";
    print "FAIL: MS-DOS header ", unpack("H128", $image), "\n"
        if $compact && unpack("H128", $image) ne $dos;
    my $pe = u32(0x3c);
    my $optional = $pe + 24;
    printf "FAIL: time stamp %08x, want 0\n", u32($pe + 8) if u32($pe + 8);
    my $copy = $image;
    substr($copy, $optional + 64, 4) = "\0" x 4;
    my $sum = 0;
    $sum = (($sum + $_) & 0xffff) + (($sum + $_) >> 16) for unpack("v*", $copy);
    my $checksum = ($sum & 0xffff) + length $image;
    printf "FAIL: checksum %08x, want %08x\n", u32($optional + 64), $checksum
        if $compact && u32($optional + 64) != $checksum;
    printf "FAIL: import directory of %d bytes, want %d\n", u32($optional + 108), 20 * ($dlls + 1)
        if $compact && u32($optional + 108) != 20 * ($dlls + 1);
    my $table = $optional + u16($pe + 20);
    for my $header (map { $table + 40 * $_ } 0 .. u16($pe + 6) - 1) {
        next unless unpack("Z8", substr($image, $header, 8)) eq ".idata";
        my ($used, $raw, $at) = (u32($header + 8), u32($header + 16), u32($header + 20));
        print "FAIL: .idata holds bytes past its $used in use\n"
            if $compact && substr($image, $at + $used, $raw - $used) =~ /[^\0]/;
    }
' "$exe" "$dlls" "$compact" | grep . && fail=1

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
