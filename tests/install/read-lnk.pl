#!/usr/bin/perl
# usage: read-lnk.pl SHORTCUT.lnk
#
# Prints the target, the arguments and the working folder of a Windows shell
# link, one a line (an empty line for what it does not have), as the
# installer test compares them. The layout is Microsoft's [MS-SHLLINK]: a
# header of 76 bytes, an optional list of item IDs, an optional link info
# (which holds the local target path), then counted strings in a fixed order.
use strict;
use warnings;

local $/;
open my $in, "<:raw", $ARGV[0] or die "$ARGV[0]: $!\n";
my $lnk = <$in>;
my $flags = unpack "V", substr($lnk, 20, 4);
my $unicode = $flags & 0x80;
my ($target, $arguments, $folder, $at) = ("", "", "", 76);
$at += 2 + unpack "v", substr($lnk, $at, 2) if $flags & 0x1;
if ($flags & 0x2) {
    my ($size, undef, $info, undef, $base) = unpack "V5", substr($lnk, $at, 20);
    ($target) = unpack "Z*", substr($lnk, $at + $base) if $info & 0x1;
    $at += $size;
}
# Name, relative path, working folder, arguments: counted strings, in order.
for my $bit (0x4, 0x8, 0x10, 0x20) {
    next unless $flags & $bit;
    my $count = unpack "v", substr($lnk, $at, 2);
    my $bytes = $unicode ? 2 * $count : $count;
    my $text = substr($lnk, $at + 2, $bytes);
    $text = pack "U*", unpack "v*", $text if $unicode;
    $text =~ s/\0+$//;
    $folder = $text if $bit == 0x10;
    $arguments = $text if $bit == 0x20;
    $at += 2 + $bytes;
}
binmode STDOUT, ":utf8";
print "$target\n$arguments\n$folder\n";
