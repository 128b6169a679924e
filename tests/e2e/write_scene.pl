#!/usr/bin/perl
# Writes a version-6 scene to the file named by the first argument: a dark
# blue background (or the red, green and blue 0..1 given after the name), no
# lights, and one red-glowing box of side 2 at the origin, seen from 8 units
# down the z axis.
use strict;
use warnings;

my $scene = pack("a4 l< C", "TAV2", 6, 0);
my @background = @ARGV == 4 ? @ARGV[1 .. 3] : (0.0, 0.0, 0.25);
$scene .= pack("f<3", @background);                 # background colour
$scene .= pack("f<4", 0.2, 0.2, 0.2, 1.0);          # ambient light
$scene .= pack("l<3 C", 0, 1, 0, 0);                # lights, objects, textures, shadows
$scene .= pack("l<8", (-1) x 8);                    # shadow lights
$scene .= pack("l<4", (-1) x 4);                    # shadow planes
$scene .= pack("C f<", 0, 1.0);                     # shadow blend and alpha
$scene .= pack("l< C", 0, 0);                       # no archives, no background image
$scene .= pack("f<", 45.0);                         # field of view (version 6)
$scene .= pack("f<13", 0, 0, 0, 0, 0, 8, 0, 1, 0, 8, 0, 0, 0);   # camera

my $box = pack("a100", "Box");
$box .= pack("f<16", 0, 0, 0, 1,  0, 0, 0, 1,  0, 0, 0, 1,  1, 0, 0, 1);  # ambient .. emission
$box .= pack("f<", 0);                              # shininess
$box .= pack("f<4", 0, 0, 0, 1);                    # orientation
$box .= pack("f<3", 1, 1, 1);                       # scale
$box .= pack("f<4", 0, 0, 0, 0);                    # position, position x again
$box .= pack("C3", 1, 0, 0);                        # visible, transparent, animating
$box .= pack("l<3", 0, 0, -1);                      # render mode, reserved, no texture
$box .= pack("f<9", 0, 0, 0, 1, 1, 1, 0, 0, 0);     # texture rotation, scale, translation
$box .= pack("l<2", 0x1E01, 0);                     # texture mode, reserved
length($box) == 271 or die "box record is " . length($box) . " bytes\n";
$scene .= pack("l<", 2) . $box;

open(my $out, ">:raw", $ARGV[0]) or die "$ARGV[0]: $!\n";
print $out $scene;
close($out);
