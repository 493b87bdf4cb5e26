#!/bin/sh
# Reports a program's size against its budget and fails past it. The file grows
# in 512-byte blocks (each section is padded to one), so it also says how many
# bytes each section may still take before the file grows by a block.
# Usage: check-size.sh PROGRAM.EXE BUDGET
set -u
exe=$1 budget=$2
[ -f "$exe" ] || { echo "FAIL: $exe not found"; exit 1; }
size=$(wc -c <"$exe")
headroom=$(perl -e '
    open(my $in, "<:raw", $ARGV[0]) or die;
    my $image = do { local $/; <$in> };
    my $pe = unpack("V", substr($image, 0x3c, 4));
    my $sections = unpack("v", substr($image, $pe + 6, 2));
    my $table = $pe + 24 + unpack("v", substr($image, $pe + 20, 2));
    my @left;
    for my $i (0 .. $sections - 1) {
        my $entry = substr($image, $table + 40 * $i, 40);
        (my $name = substr($entry, 0, 8)) =~ s/\0+$//;
        my ($virtual, $raw) = (unpack("V", substr($entry, 8, 4)), unpack("V", substr($entry, 16, 4)));
        push @left, "$name " . ($raw > $virtual ? $raw - $virtual : 0) if $raw;
    }
    print join(", ", @left);
' "$exe")
name=$(basename "$exe")
echo "$name: $size bytes of a $budget-byte budget ($((budget - size)) to spare)"
echo "$name: bytes left in each section before the file grows by a 512-byte block: $headroom"
[ "$size" -le "$budget" ] || { echo "FAIL: $name is $((size - budget)) bytes over its budget"; exit 1; }
