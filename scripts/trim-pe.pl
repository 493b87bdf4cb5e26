#!/usr/bin/perl
# Takes out of the linked setup.exe two things ld writes that no loader needs,
# each worth a 512-byte block of the file:
# - ld's 128-byte MS-DOS header and stub put the PE header at 0x80, so five
#   section headers end past 512 bytes; from 0x40 they end at 512 exactly.
#   The DOS program left in the header's reserved words still says the file
#   needs Windows and ends, as the usual stub does.
# - The import lookup tables, a second copy of the import address tables that
#   only matters to a program bound to its DLLs' addresses; with none, the
#   loader reads the names from the address tables themselves, as it did for
#   the programs of other linkers since Windows 95. cmake/setup.ld puts them
#   last in .idata, so here they are cut off its end, their bytes zeroed, and
#   the file marked "no bind" (0x0800): without them it can never be bound.
# The sections are then laid out again, one after another, and the checksum
# computed anew.
# Usage: trim-pe.pl SETUP.EXE   (rewrites it in place)
use strict;
use warnings;
use FindBin;
use lib $FindBin::Bin;
use PeChecksum;

my ($exe) = @ARGV;
die "usage: $0 SETUP.EXE\n" unless defined $exe;
open(my $in, '<:raw', $exe) or die "$exe: $!\n";
my $image = do { local $/; <$in> };
close $in;

sub u16 { unpack('v', substr($image, $_[0], 2)) }
sub u32 { unpack('V', substr($image, $_[0], 4)) }
sub put32 { substr($image, $_[0], 4) = pack('V', $_[1]) }

my $pe = u32(0x3c);
die "$exe: not a PE file\n" unless substr($image, 0, 2) eq 'MZ' && substr($image, $pe, 4) eq "PE\0\0";
exit 0 if $pe == 0x40;    # trimmed already

my $count = u16($pe + 6);
my $optional = $pe + 24;
my $table = $optional + u16($pe + 20);
my $alignment = u32($optional + 36);
my $importDirectory = $optional + 96 + 8;
sub roundUp { int(($_[0] + $alignment - 1) / $alignment) * $alignment }

# Each section: where its header is, its address, its size in memory, its data.
my @sections = map {
    my $header = $table + 40 * $_;
    {   header => $header,
        name => unpack('Z8', substr($image, $header, 8)),
        address => u32($header + 12),
        size => u32($header + 8),
        pointer => u32($header + 20),
        raw => u32($header + 16)
    }
} 0 .. $count - 1;

sub fileOffset {
    my ($rva) = @_;
    for my $s (@sections) {
        return u32($s->{header} + 20) + $rva - $s->{address}
            if $rva >= $s->{address} && $rva < $s->{address} + $s->{size};
    }
    die "$exe: address $rva is in no section\n";
}

# The import descriptors: each lookup table must be the copy of its address
# table, and together they must end the section.
my ($idata) = grep { $_->{name} eq '.idata' } @sections;
my $descriptors = u32($importDirectory);
my $lookupStart = $idata->{address} + $idata->{size};
my $dlls = 0;
for (my $at = fileOffset($descriptors); u32($at + 12); $at += 20, $dlls++) {
    my ($lookup, $thunks) = (u32($at), u32($at + 16));
    my ($l, $t) = (fileOffset($lookup), fileOffset($thunks));
    my $entries = 0;
    $entries++ while u32($l + 4 * $entries);
    die "$exe: a lookup table differs from its address table\n"
        unless substr($image, $l, 4 * $entries + 4) eq substr($image, $t, 4 * $entries + 4);
    $lookupStart = $lookup if $lookup < $lookupStart;
    put32($at, 0);
}
die "$exe: the lookup tables are not at the end of .idata\n"
    unless $lookupStart > $descriptors && $lookupStart < $idata->{address} + $idata->{size};
$idata->{size} = $lookupStart - $idata->{address};
# The descriptors, with the zero one that ends them.
put32($importDirectory + 4, 20 * ($dlls + 1));
substr($image, $optional + 70, 2) = pack('v', u16($optional + 70) | 0x0800);

# MS-DOS sees a 32-byte header and a 32-byte program at 0x20: it prints its
# text (DS is the PSP, 0x100 below the program) and exits with code 1.
# e_lfarlc stays 0x40, which marks a header with e_lfanew for Windows.
my $newPe = 0x40;
my $dos = pack('a2 v13 x4', 'MZ', 0x40, 1, 0, 2, 0, 0xffff, 0, 0xb8, 0, 0, 0, 0x40, 0);
$dos .= pack('C*', 0xba, 0x0c, 0x01, 0xb4, 0x09, 0xcd, 0x21, 0xb8, 0x01, 0x4c, 0xcd, 0x21);
$dos .= "Needs Windows\r\n\$" . pack('V', $newPe);
die "internal: the DOS header is not 64 bytes\n" unless length($dos) == $newPe;

# The sections' data, one after another behind the headers. Each header field
# is written in the old image first, then the headers are taken from it.
my $headersEnd = $table + 40 * $count;
my $headerSize = roundUp($headersEnd - $pe + $newPe);
die "$exe: the headers of $count sections do not fit in one block\n" if $headerSize > $alignment;
put32($optional + 60, $headerSize);
my $body = '';
for my $s (@sections) {
    next unless $s->{pointer};
    my $raw = roundUp($s->{size});
    # Only the bytes in use: the rest of the block is zeros, not what was cut.
    my $data = substr($image, $s->{pointer}, $s->{raw} < $s->{size} ? $s->{raw} : $s->{size});
    put32($s->{header} + 8, $s->{size});
    put32($s->{header} + 16, $raw);
    put32($s->{header} + 20, $headerSize + length $body);
    $body .= $data . ("\0" x ($raw - length $data));
}
my $headers = $dos . substr($image, $pe, $headersEnd - $pe);
my $out = $headers . ("\0" x ($headerSize - length $headers)) . $body;

PeChecksum::replace_file($exe, \$out);
