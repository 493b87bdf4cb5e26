#!/usr/bin/perl
# Gives the linked setup.exe a 64-byte MS-DOS header in place of ld's 128-byte
# header and stub. ld puts the PE header at 0x80, and with five section headers
# the headers then end past 512 bytes and take two 512-byte blocks of the file;
# from 0x40 they end at 512 exactly and take one. Every section's data moves
# down by the block saved. The DOS program left in the header's unused bytes
# still says the file needs Windows and ends, as the usual stub does.
# Usage: short-stub.pl SETUP.EXE   (rewrites it in place)
use strict;
use warnings;

my ($exe) = @ARGV;
die "usage: $0 SETUP.EXE\n" unless defined $exe;
open(my $in, '<:raw', $exe) or die "$exe: $!\n";
my $image = do { local $/; <$in> };
close $in;

sub u16 { unpack('v', substr($image, $_[0], 2)) }
sub u32 { unpack('V', substr($image, $_[0], 4)) }

my $newPe = 0x40;
my $pe = u32(0x3c);
die "$exe: not a PE file\n" unless substr($image, 0, 2) eq 'MZ' && substr($image, $pe, 4) eq "PE\0\0";
if ($pe == $newPe) {
    exit 0;    # already done
}
my $sections = u16($pe + 6);
my $optional = $pe + 24;
my $optionalSize = u16($pe + 20);
my $table = $optional + $optionalSize;
my $headersEnd = $table + 40 * $sections;
my $fileAlignment = u32($optional + 36);
my $oldHeaders = u32($optional + 60);
my $newHeaders = $headersEnd - $pe + $newPe;
# Round up to the file alignment.
$newHeaders = int(($newHeaders + $fileAlignment - 1) / $fileAlignment) * $fileAlignment;
die "$exe: headers of $sections sections do not fit below $oldHeaders\n" if $newHeaders >= $oldHeaders;
my $shift = $oldHeaders - $newHeaders;

# MS-DOS sees a 32-byte header and a 32-byte program at 0x20: it prints its
# text (DS is the PSP, 0x100 below the program) and exits with code 1.
# e_lfarlc stays 0x40, which marks a header with e_lfanew for Windows.
my $dos = pack('a2 v13 x4', 'MZ', 0x40, 1, 0, 2, 0, 0xffff, 0, 0xb8, 0, 0, 0, 0x40, 0);
$dos .= pack('C*', 0xba, 0x0c, 0x01, 0xb4, 0x09, 0xcd, 0x21, 0xb8, 0x01, 0x4c, 0xcd, 0x21);
$dos .= "Needs Windows\r\n\$";
$dos .= pack('V', $newPe);
die "internal: DOS header is " . length($dos) . " bytes\n" unless length($dos) == $newPe;

my $headers = $dos . substr($image, $pe, $headersEnd - $pe);
$headers .= "\0" x ($newHeaders - length $headers);
my $out = $headers . substr($image, $oldHeaders);

# The same fields at their new places: SizeOfHeaders and each section's file offset.
my $delta = $newPe - $pe;
substr($out, $optional + $delta + 60, 4) = pack('V', $newHeaders);
for my $i (0 .. $sections - 1) {
    my $raw = $table + $delta + 40 * $i + 20;
    my $pointer = unpack('V', substr($out, $raw, 4));
    substr($out, $raw, 4) = pack('V', $pointer - $shift) if $pointer;
}

# The image checksum, as the linker computed it: 16-bit sums with the carry
# folded in, the checksum field itself counted as zero, plus the file's length.
my $checksumAt = $optional + $delta + 64;
substr($out, $checksumAt, 4) = "\0\0\0\0";
my $sum = 0;
my $padded = $out . ("\0" x (length($out) % 2));
for my $word (unpack('v*', $padded)) {
    $sum += $word;
    $sum = ($sum & 0xffff) + ($sum >> 16);
}
substr($out, $checksumAt, 4) = pack('V', ($sum & 0xffff) + length($out));

open(my $outFile, '>:raw', "$exe.tmp") or die "$exe.tmp: $!\n";
print $outFile $out;
close $outFile or die "$exe.tmp: $!\n";
chmod((stat $exe)[2] & 07777, "$exe.tmp") or die "$exe.tmp: $!\n";
rename("$exe.tmp", $exe) or die "$exe: $!\n";
