#!/usr/bin/env bash
# End to end: files opened in the running viewer under Xvfb (1280 x 720, no
# window manager). A scene dropped onto the window through XDND, as a file
# manager drops it, takes the shown scene's place; a file that is no scene
# is told in a message box and the shown scene stays; Ctrl-O's chooser,
# shown over a window, opens the file typed into it and the viewer goes back
# to full screen.
#   viewer_files_test.sh ORRIN XDND_DROP
# XDND_DROP is the test build's XDND client.
. "$(dirname "$0")/common.sh"
orrin=$1
xdnd_drop=$2
require_tools Xvfb xdotool xwininfo import convert perl timeout
script_seconds=80

make_program_folder "$orrin" '[3dfx]\nResolution=3\n'
perl "$here/write_scene.pl" "$work/white.tvn" 1 1 1
printf 'not a scene at all' >"$work/bad.tvn"
start_xvfb 1280x720x24

# The box scene's dark blue, or the white scene's white, away from the box
# and the overlays.
is_blue() { [ "$(pixel "$1" 100 600)" = "0 0 64" ]; }
is_white() { [ "$(pixel "$1" 100 600)" = "255 255 255" ]; }
notice=80x20+1170+28

start_orrin "$work/prog/orrin" --view "$work/box.tvn"
window=$(find_window 'Test Window') || die "no viewer window"
screen_until shown is_blue || die "the box scene is not shown: $(pixel "$work/shown.png" 100 600)"

"$xdnd_drop" "$window" "$work/white.tvn" || fail "the viewer does not take a dropped file"
screen_until dropped is_white || fail "the dropped scene is not shown: $(pixel "$work/dropped.png" 100 600)"
screen_until opened on_panel "$notice" green || fail "no notice tells the dropped scene opened"

"$xdnd_drop" "$window" "$work/bad.tvn" || fail "the viewer does not take a second dropped file"
wait_box || die "no message box tells the dropped file is no scene"
grep -q "bad.tvn is not a TAV File." "$work/prog/errors.txt" || fail "errors.txt does not tell why: $(cat "$work/prog/errors.txt")"
close_box || fail "the message box does not close with Return"
screen_until kept is_white || fail "the shown scene did not stay: $(pixel "$work/kept.png" 100 600)"
screen_until not-opened on_panel "$notice" amber || fail "no notice tells the file was not opened"

focus "$window"
xdotool key ctrl+o
chooser=$(find_window 'Open a scene or model file') || die "Ctrl-O shows no file chooser"
[ "$(window_size "$window")" = "800 600 240 60" ] || fail "the viewer is no window under the chooser: $(window_size "$window")"
# Both choosers (GTK's and FLTK's own) take a name typed into them, in the
# folder of the scene shown.
focus "$chooser"
xdotool type --delay 30 box.tvn
xdotool key Return
window_gone 'Open a scene or model file' || fail "the chooser does not close"
screen_until chosen is_blue || fail "the chosen scene is not shown: $(pixel "$work/chosen.png" 100 600)"
[ "$(window_size "$window")" = "1280 720 0 0" ] || fail "the viewer does not cover the screen again: $(window_size "$window")"

xdotool key Escape
expect_exit 0
finish "viewer files end to end"
