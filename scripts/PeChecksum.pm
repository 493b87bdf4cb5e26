# The PE image checksum, as the linker computes it: 16-bit sums with the carry
# folded in, the checksum field itself counted as zero, plus the file's length.
# Windows checks it for drivers and system DLLs only, but signing tools and
# virus scanners read it: every script that changes setup.exe writes it anew.
package PeChecksum;
use strict;
use warnings;

# Writes the checksum into the image held in the string $$image, in place.
sub write_checksum {
    my ($image) = @_;
    my $at = unpack('V', substr($$image, 0x3c, 4)) + 24 + 64;
    substr($$image, $at, 4) = "\0\0\0\0";
    my $sum = 0;
    for my $word (unpack('v*', $$image)) {
        $sum += $word;
        $sum = ($sum & 0xffff) + ($sum >> 16);
    }
    substr($$image, $at, 4) = pack('V', ($sum & 0xffff) + length($$image));
}

# Replaces the file $exe with the image in $$image, its checksum written first:
# through a file beside it, so that a failure leaves the old one whole.
sub replace_file {
    my ($exe, $image) = @_;
    write_checksum($image);
    open(my $out, '>:raw', "$exe.tmp") or die "$exe.tmp: $!\n";
    print $out $$image;
    close $out or die "$exe.tmp: $!\n";
    chmod((stat $exe)[2] & 07777, "$exe.tmp") or die "$exe.tmp: $!\n";
    rename("$exe.tmp", $exe) or die "$exe: $!\n";
}

1;
