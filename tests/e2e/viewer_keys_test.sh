#!/usr/bin/env bash
# End to end: the viewer's keys and mouse on a white scene under Xvfb (1280 x
# 720, no 16-bit modes, no window manager): the wheel zooms and Home brings
# the first view back, a drag orbits and R brings it back, F11 and Alt-Enter
# go to a window and back, the window follows its new size, F2 and Alt-I show
# and hide the status line, F1's key reference lies on a dark panel, F12
# writes a PNG and tells so in a corner for a while, and a shot that cannot be
# written tells why.
#   viewer_keys_test.sh ORRIN
. "$(dirname "$0")/common.sh"
orrin=$1
require_tools Xvfb xdotool xwininfo import convert identify perl timeout
script_seconds=80

# Resolution 3 is 800 x 600: no such mode, so the window covers the screen.
make_program_folder "$orrin" '[3dfx]\nResolution=3\nSSFileType=2\n'
perl "$here/write_scene.pl" "$work/white.tvn" 1 1 1
start_xvfb 1280x720x24

start_orrin "$work/prog/orrin" --view "$work/white.tvn"
window=$(find_window 'Test Window') || die "no viewer window"
screen_until shown is_red 640 360 || die "the box is not in the middle of the screen"
first=$(red_span "$work/shown.png" 360)
read -r left right <<<"$first"

# as_first FILE: the box spans the row as in the first view, give or take a pixel.
as_first() {
    local l r
    read -r l r <<<"$(red_span "$1" 360)"
    [ "$l" != none ] && [ $((l - left)) -ge -1 ] && [ $((l - left)) -le 1 ] && [ $((r - right)) -ge -1 ] &&
        [ $((r - right)) -le 1 ]
}
turned() { ! as_first "$1"; }
zoomed_in() {
    local l r
    read -r l r <<<"$(red_span "$1" 360)"
    [ "$l" != none ] && [ $((r - l)) -ge $(((right - left) * 5 / 4)) ]
}
png_complete() {
    [ -f "$1" ] && [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] &&
        [ "$(tail -c 8 "$1" | head -c 4)" = "IEND" ]
}

# The pointer stays at the centre: right of it, outside a drag, the viewer would move it away.
xdotool mousemove 640 360 click --repeat 3 --delay 50 4
screen_until wheel zoomed_in || fail "three notches of the wheel do not zoom in: $first, then $(red_span "$work/wheel.png" 360)"
xdotool key Home
screen_until home as_first || fail "Home does not give the first view back: $(red_span "$work/home.png" 360), not $first"
xdotool mousemove 640 360 mousedown 1 mousemove_relative -- 20 0 mousemove_relative -- 20 0 \
    mousemove_relative -- 20 0 mouseup 1
screen_until orbit turned || fail "a drag does not orbit the camera"
xdotool mousemove 640 360 key r
screen_until reset as_first || fail "R does not give the first view back: $(red_span "$work/reset.png" 360), not $first"

# F11: a window of the chosen size in the middle of the desktop, which the
# scene and the shots follow when it is resized; Alt-Enter: the whole screen again.
full="1280 720 0 0"
windowed="800 600 240 60"
is_size() { [ "$(window_size "$window")" = "$1" ]; }
key_gives() {
    xdotool key "$1"
    within "$effect_seconds" is_size "$2" || fail "$1 gives $(window_size "$window"), not $2"
}
is_size "$full" || fail "the viewer does not cover the screen: $(window_size "$window")"
key_gives F11 "$windowed"
xdotool windowsize "$window" 600 400
centred() { is_red "$1" 540 260 && ! is_red "$1" 640 360 && [ "$(pixel "$1" 250 70)" = "255 255 255" ]; }
screen_until resized centred || fail "the scene does not follow the window's new size"
xdotool key F12
within "$effect_seconds" png_complete "$work/prog/scrnshot/shot000.png" || fail "F12 in a window wrote no shot000.png"
size=$(identify -format '%wx%h' "$work/prog/scrnshot/shot000.png" 2>/dev/null)
[ "$size" = 600x400 ] || fail "a shot of the 600 x 400 window is $size"
key_gives alt+Return "$full"
key_gives F11 "$windowed"
key_gives F11 "$full"

# Overlays at 720 lines: text 18 pixels high, 18 from the edges.
status_line=250x24+28+670
key_reference=400x400+40+60
notice=80x20+1170+28
xdotool key F2
screen_until status on_panel "$status_line" green || fail "F2 shows no status line: $(mean_colour "$work/status.png" "$status_line")"
xdotool key alt+i
screen_until no-status no_panel "$status_line" green || fail "Alt-I does not hide the status line"
xdotool key F1
screen_until help on_panel "$key_reference" green ||
    fail "F1 shows no key reference on a dark panel over the white scene: $(mean_colour "$work/help.png" "$key_reference")"
xdotool key F1
screen_until no-help no_panel "$key_reference" green || fail "a second F1 does not hide the key reference"

# The window's shot told of it in its own corner, gone by now.
screen_until before-shot no_panel "$notice" green || fail "a notice stays on"
xdotool key F12
screen_until notice on_panel "$notice" green || fail "F12 shows no notice: $(mean_colour "$work/notice.png" "$notice")"
shot="$work/prog/scrnshot/shot001.png"
if within "$effect_seconds" png_complete "$shot"; then
    is_red "$shot" 640 360 || fail "the shot does not show the box"
    on_panel "$shot" "$notice" green && fail "the notice is in the shot"
else
    fail "F12 wrote no complete shot001.png"
fi
screen_until notice-gone no_panel "$notice" green || fail "the notice does not go"

rm -rf "$work/prog/scrnshot"
: >"$work/prog/scrnshot"
xdotool key F12
screen_until failed on_panel "$notice" amber || fail "a shot not written shows no notice: $(mean_colour "$work/failed.png" "$notice")"

xdotool key Escape
expect_exit 0
grep -q "shot002.png not written: Not a directory" "$work/prog/log.txt" || fail "the failed shot is not in log.txt"
finish "viewer keys end to end"
