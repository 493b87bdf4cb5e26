#!/usr/bin/perl
# Fills the digest table of DIST_DIR/setup.exe with the size and BLAKE2s-256
# digest of each file of the setup's file table lying beside it, so that the
# setup refuses any other file, and a signature made afterwards vouches for all
# of them. The digests come from OpenSSL, not from the setup's own code; the
# names (in copy order) and the table's marker from resources/product.facts.
# The marker must be in setup.exe once; a table filled already is filled again.
# With --again only such a table is: one left empty (a dist laid out without
# digests) stays so. The PE checksum is written anew.
# Usage: stamp-digests.pl [--again] DIST_DIR   (rewrites DIST_DIR/setup.exe in place)
use strict;
use warnings;
use FindBin;
use lib $FindBin::Bin;
use PeChecksum;

my $again = @ARGV && $ARGV[0] eq '--again' ? shift : undef;
my ($dist) = @ARGV;
die "usage: $0 [--again] DIST_DIR\n" unless defined $dist;
my $exe = "$dist/setup.exe";

my %facts;
open(my $facts, '<', "$FindBin::Bin/../resources/product.facts") or die "product.facts: $!\n";
while (<$facts>) {
    $facts{$1} = $2 if /^([A-Z_]+)=(.*?)\r?$/;
}
close $facts;
my @names = split ' ', ($facts{PRODUCT_FILES} // '');
die "digests: no file table in resources/product.facts\n" unless @names;
die "digests: no DIGEST_TABLE_MARKER in resources/product.facts\n" unless $facts{DIGEST_TABLE_MARKER};

open(my $in, '<:raw', $exe) or die "$exe: $!\n";
my $image = do { local $/; <$in> };
close $in;

# The marker, its terminator, and the "filled" word: 0 in a built setup.exe, 1 once stamped.
my $marker = "$facts{DIGEST_TABLE_MARKER}\0";
my $at = index($image, $marker);
die "digests: $exe holds no digest table\n" if $at < 0;
die "digests: $exe holds the digest table's marker more than once\n"
    if index($image, $marker, $at + 1) >= 0;
if ($again && unpack('V', substr($image, $at + length($marker), 4)) == 0) {
    print "digests: $exe has no table filled, and gets none\n";
    exit 0;
}

my $rows = '';
for my $name (@names) {
    my $path = "$dist/$name";
    die "digests: $path is not a file\n" unless -f $path;
    open(my $digest, '-|', 'openssl', 'dgst', '-blake2s256', '-r', $path) or die "openssl: $!\n";
    my ($hex) = (<$digest> // '') =~ /^([0-9a-f]{64}) /;
    close $digest;
    die "digests: openssl gave no BLAKE2s-256 digest of $path\n" unless defined $hex;
    $rows .= pack('V', -s $path) . pack('H64', $hex);
}
substr($image, $at + length($marker), 4 + length $rows) = pack('V', 1) . $rows;
PeChecksum::replace_file($exe, \$image);
print "digests: $exe records the ", scalar(@names), " files beside it\n";
