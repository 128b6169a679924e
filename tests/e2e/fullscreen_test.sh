#!/usr/bin/env bash
# End to end: the viewer takes the whole screen on a display without 16-bit
# modes. Xvfb offers one mode, 1024 x 768 at 24 bits: 640 x 480 is not there
# at all, so the window covers the screen unchanged; 1024 x 768 is there at
# the desktop's depth, so the mode is set and given back on Escape. On a
# screen of 256 colours orrin shows message 114 and ends without the dialog.
#   fullscreen_test.sh ORRIN
. "$(dirname "$0")/common.sh"
orrin=$1

make_program_folder "$orrin" '[3dfx]\n'
start_xvfb 1024x768x24

# The scene's dark blue background, not the black of the X root window.
is_background() {
    local r g b
    read -r r g b <<<"$(pixel "$1" "$2" "$3")"
    [ "$r" -lt 30 ] && [ "$g" -lt 30 ] && [ "$b" -gt 45 ] && [ "$b" -lt 90 ]
}
covers_screen() {
    is_red "$1" 512 384 && is_background "$1" 1010 750 && is_background "$1" 1010 10 && is_background "$1" 10 750
}

# view_at RESOLUTION NAME: one viewing, left with Escape; the screen while it
# showed in $work/NAME.png, the log in $log. Resolution 2 is 640 x 480, 4 is 1024 x 768.
view_at() {
    printf '[3dfx]\nResolution=%s\n' "$1" >"$ini"
    : >"$work/prog/log.txt"
    view "$work/box.tvn"
    screen_until "$2" covers_screen ||
        fail "resolution $1: the scene does not cover the screen: centre $(pixel "$work/$2.png" 512 384), corner $(pixel "$work/$2.png" 1010 750)"
    leave "at resolution $1"
    log=$(cat "$work/prog/log.txt")
}

view_at 2 covered
grep -q '^ChangeDisplaySettings - Requested mode is not present.$' <<<"$log" || fail "no 16-bit search in the log: $log"
grep -q '^Full screen: no display mode of 640 x 480; the window covers the 1024 x 768 screen without a mode change.$' <<<"$log" ||
    fail "the log does not say the screen was covered: $log"
grep -q 'restored' <<<"$log" && fail "a mode never changed was restored: $log"

view_at 4 changed
grep -q "^Full screen: display mode changed to 1024 x 768 at the desktop's 24 bits per pixel.$" <<<"$log" ||
    fail "the log does not say the mode was changed: $log"
grep -q '^Full screen: display mode restored.$' <<<"$log" || fail "Escape did not restore the mode: $log"

start_xvfb 640x480x8
start_orrin "$orrin"
box=$(find_window Orrin) || die "no message on a screen of 256 colours"
# The dialog is 422 pixels wide; message 114 is a wide alert.
[ "$(window_size "$box" | cut -d' ' -f1)" != 422 ] || die "the dialog opened on a screen of 256 colours"
press_in "$box" Return
expect_exit 0 "after message 114"
finish "full screen end to end"
