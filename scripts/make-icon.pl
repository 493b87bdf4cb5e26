#!/usr/bin/perl
# Builds the setup's .ico (one 32 x 32, 16-colour image) from the text drawing
# in resources/setup-icon.txt, so the icon is reproducible from the repository.
# Usage: make-icon.pl DRAWING OUTPUT
use strict;
use warnings;

my ($drawing, $output) = @ARGV;
die "usage: $0 DRAWING OUTPUT\n" unless defined $output;

open(my $in, '<', $drawing) or die "$drawing: $!\n";
my @rows = grep { !/^#/ } map { s/\s+$//r } <$in>;
close $in;
die "$drawing: want 32 rows of 32 characters\n"
    unless @rows == 32 && !grep { length != 32 || /[^0-9A-Fa-f.]/ } @rows;

# The standard VGA palette, as the system's 16-colour icons use it (blue, green, red, 0).
my @palette = (
    [0, 0, 0],     [128, 0, 0],   [0, 128, 0], [128, 128, 0],
    [0, 0, 128],   [128, 0, 128], [0, 128, 128], [192, 192, 192],
    [128, 128, 128], [255, 0, 0], [0, 255, 0], [255, 255, 0],
    [0, 0, 255],   [255, 0, 255], [0, 255, 255], [255, 255, 255],
);

my ($xor, $and) = ('', '');
for my $row (reverse @rows) {    # bitmaps are stored bottom-up
    my ($nibbles, $mask) = ('', '');
    for my $c (split //, $row) {
        $nibbles .= $c eq '.' ? '0' : uc $c;
        $mask .= $c eq '.' ? '1' : '0';
    }
    $xor .= pack('H*', $nibbles);
    $and .= pack('B*', $mask);
}

my $image = pack('VllvvVVllVV', 40, 32, 64, 1, 4, 0, length($xor) + length($and), 0, 0, 16, 0)
    . join('', map { pack('CCCC', $_->[2], $_->[1], $_->[0], 0) } @palette)
    . $xor . $and;
my $icon = pack('vvv', 0, 1, 1)
    . pack('CCCCvvVV', 32, 32, 16, 0, 1, 4, length($image), 22)
    . $image;

open(my $out, '>:raw', $output) or die "$output: $!\n";
print $out $icon;
close $out or die "$output: $!\n";
