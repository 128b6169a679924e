#!/usr/bin/env bash
# End to end: the viewer covers a 1280 x 720 screen without 16-bit modes. Drops,
# the wheel, drags, Home, R, F11, Alt-Enter, F1, F2, Alt-I, F12 and Ctrl-O do what
# a user expects, and a dropped file that is no scene is told. The one mode of a
# 1024 x 768 screen is set and given back; 256 colours get message 114.
#   viewer_keys_test.sh ORRIN XDND_DROP (the test build's XDND client)
. "$(dirname "$0")/common.sh"
orrin=$1
xdnd_drop=$2
script_seconds=100

make_program_folder "$orrin" '[3dfx]\nResolution=3\nSSFileType=2\n'  # 800 x 600, PNG shots
perl "$here/write_scene.pl" "$work/white.tvn" 1 1 1
printf 'not a scene at all' >"$work/bad.tvn"
start_xvfb 1280x720x24

# red_span FILE ROW: "left right" of the red pixels along the row (the box), or "none".
red_span() {
    pixels "$1" "x1+0+$2" | awk '$3 > 200 && $4 < 60 && $5 < 60 { if (left == "") left = $1; right = $1 }
        END { if (left == "") print "none"; else print left, right }'
}
# mean_colour FILE REGION: "r g b", the mean of the WxH+X+Y region.
mean_colour() {
    convert "$1" -crop "$2" +repage -depth 8 \
        -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]\n' info:
}
# on_panel FILE REGION green|amber: on an overlay's dark panel, the text's colour standing out.
on_panel() {
    mean_colour "$1" "$2" | awk -v colour="$3" '$1 < 120 && $2 < 120 && $3 < 120 {
        exit !(colour == "green" ? $2 > $1 + 8 && $2 > $3 + 8 : $1 > $3 + 8 && $1 >= $2) } { exit 1 }
        END { if (NR == 0) exit 1 }'
}
no_panel() { ! on_panel "$@"; }
# The box scene's dark blue, or the white scene's white, away from the box.
is_blue() { [ "$(pixel "$1" "${2:-100}" "${3:-600}")" = "0 0 64" ]; }
is_white() { [ "$(pixel "$1" 100 600)" = "255 255 255" ]; }
# Overlays at 720 lines: text 18 pixels high, 18 from the edges.
status_line=250x24+28+670
key_reference=400x400+40+60
notice=80x20+1170+28

view "$work/box.tvn"
screen_until shown is_blue || die "the box scene is not shown: $(pixel "$work/shown.png" 100 600)"
"$xdnd_drop" "$window" "$work/white.tvn" || fail "the viewer does not take a dropped file"
screen_until opened on_panel "$notice" green || fail "no notice tells the dropped scene opened"
is_white "$work/opened.png" || die "the dropped scene is not shown: $(pixel "$work/opened.png" 100 600)"
screen_until white is_red 640 360 || die "the box is not in the middle of the screen"
first=$(red_span "$work/white.png" 360)
read -r left right <<<"$first"

# as_first FILE: the box spans the row as in the first view, give or take a pixel.
as_first() { red_span "$1" 360 | awk -v l="$left" -v r="$right" '{ exit !(($1 - l) ^ 2 <= 1 && ($2 - r) ^ 2 <= 1) }'; }
turned() { ! as_first "$1"; }
zoomed_in() { red_span "$1" 360 | awk -v w=$(((right - left) * 5 / 4)) '{ exit !($1 != "none" && $2 - $1 >= w) }'; }

# The pointer stays at the centre: right of it, outside a drag, the viewer would move it away.
xdotool mousemove 640 360 click --repeat 3 --delay 50 4
screen_until wheel zoomed_in ||
    fail "three notches of the wheel do not zoom in: $first, then $(red_span "$work/wheel.png" 360)"
key_until Home home as_first || fail "Home does not give the first view back: $(red_span "$work/home.png" 360)"
xdotool mousemove 640 360 mousedown 1 mousemove_relative -- 20 0 mousemove_relative -- 20 0 \
    mousemove_relative -- 20 0 mouseup 1
screen_until orbit turned || fail "a drag does not orbit the camera"
xdotool mousemove 640 360 key r
screen_until reset as_first || fail "R does not give the first view back: $(red_span "$work/reset.png" 360)"

# F11: a window of the chosen size in the middle of the desktop.
full="1280 720 0 0"
windowed="800 600 240 60"
is_size() { [ "$(window_size "$window")" = "$1" ]; }
key_gives() {
    xdotool key "$1"
    within "$wait_seconds" is_size "$2" || fail "$1 gives $(window_size "$window"), not $2"
}
is_size "$full" || fail "the viewer does not cover the screen: $(window_size "$window")"
key_gives F11 "$windowed"
xdotool windowsize "$window" 600 400
centred() { is_red "$1" 540 260 && ! is_red "$1" 640 360 && [ "$(pixel "$1" 250 70)" = "255 255 255" ]; }
screen_until resized centred || fail "the scene does not follow the window's new size"
xdotool key F12
within "$wait_seconds" shot_complete "$work/prog/scrnshot/shot000.png" || fail "F12 in a window wrote no shot000.png"
size=$(convert "$work/prog/scrnshot/shot000.png" -format '%wx%h' info: 2>/dev/null)
[ "$size" = 600x400 ] || fail "a shot of the 600 x 400 window is $size"
key_gives alt+Return "$full"
key_gives F11 "$windowed"
key_gives F11 "$full"

key_until F2 status on_panel "$status_line" green ||
    fail "F2 shows no status line: $(mean_colour "$work/status.png" "$status_line")"
key_until alt+i no-status no_panel "$status_line" green || fail "Alt-I does not hide the status line"
key_until F1 help on_panel "$key_reference" green ||
    fail "F1 shows no key reference on a dark panel over the white scene: $(mean_colour "$work/help.png" "$key_reference")"
key_until F1 no-help no_panel "$key_reference" green || fail "a second F1 does not hide the key reference"

screen_until before-shot no_panel "$notice" green || fail "a notice stays on"
key_until F12 notice on_panel "$notice" green || fail "F12 shows no notice: $(mean_colour "$work/notice.png" "$notice")"
shot="$work/prog/scrnshot/shot001.png"
within "$wait_seconds" shot_complete "$shot" || die "F12 wrote no complete shot001.png"
is_red "$shot" 640 360 || fail "the shot does not show the box"
on_panel "$shot" "$notice" green && fail "the notice is in the shot"
screen_until notice-gone no_panel "$notice" green || fail "the notice does not go"

"$xdnd_drop" "$window" "$work/bad.tvn" || fail "the viewer does not take a second dropped file"
wait_box || die "no message box tells the dropped file is no scene"
grep -q "bad.tvn is not a TAV File." "$work/prog/errors.txt" || fail "errors.txt does not tell why: $(cat "$work/prog/errors.txt")"
close_box || fail "the message box does not close with Return"
screen_until not-opened on_panel "$notice" amber || fail "no notice tells the file was not opened"
is_white "$work/not-opened.png" || fail "the shown scene did not stay: $(pixel "$work/not-opened.png" 100 600)"
screen_until amber-gone no_panel "$notice" amber || fail "the notice does not go"

focus "$window"
xdotool key ctrl+o
chooser=$(find_window 'Open a scene or model file') || die "Ctrl-O shows no file chooser"
[ "$(window_size "$window")" = "$windowed" ] || fail "the viewer is no window under the chooser: $(window_size "$window")"
# Both choosers (GTK's and FLTK's own) take a name typed, in the shown scene's folder.
focus "$chooser"
xdotool type --delay 30 box.tvn
xdotool key Return
window_gone 'Open a scene or model file' || fail "the chooser does not close"
screen_until chosen is_blue || fail "the chosen scene is not shown: $(pixel "$work/chosen.png" 100 600)"
[ "$(window_size "$window")" = "$full" ] || fail "the viewer does not cover the screen again: $(window_size "$window")"

rm -rf "$work/prog/scrnshot"
: >"$work/prog/scrnshot"
key_until F12 failed on_panel "$notice" amber ||
    fail "a shot not written shows no notice: $(mean_colour "$work/failed.png" "$notice")"
leave
log=$(cat "$work/prog/log.txt")
grep -q "shot002.png not written: Not a directory" <<<"$log" || fail "the failed shot is not in log.txt"
grep -q '^ChangeDisplaySettings - Requested mode is not present.$' <<<"$log" || fail "no 16-bit search in the log: $log"
grep -q '^Full screen: no display mode of 800 x 600; the window covers the 1280 x 720 screen without a mode change.$' <<<"$log" ||
    fail "the log does not say the screen was covered: $log"
grep -q 'restored' <<<"$log" && fail "a mode never changed was restored: $log"

start_xvfb 1024x768x24
sed -i 's/^Resolution=.*/Resolution=4/' "$ini"  # 1024 x 768
: >"$work/prog/log.txt"
view "$work/box.tvn"
covers_screen() { is_red "$1" 512 384 && is_blue "$1" 1010 750 && is_blue "$1" 1010 10 && is_blue "$1" 10 750; }
screen_until changed covers_screen ||
    fail "the scene does not cover the changed screen: centre $(pixel "$work/changed.png" 512 384), corner $(pixel "$work/changed.png" 1010 750)"
leave "at 1024 x 768"
log=$(cat "$work/prog/log.txt")
grep -q "^Full screen: display mode changed to 1024 x 768 at the desktop's 24 bits per pixel.$" <<<"$log" ||
    fail "the log does not say the mode was changed: $log"
grep -q '^Full screen: display mode restored.$' <<<"$log" || fail "Escape did not restore the mode: $log"

start_xvfb 640x480x8
start_orrin "$work/prog/orrin"
box=$(find_window Orrin) || die "no message on a screen of 256 colours"
# The dialog is 422 pixels wide; message 114 is a wide alert.
[ "$(window_size "$box" | cut -d' ' -f1)" != 422 ] || die "the dialog opened on a screen of 256 colours"
press_in "$box" Return
expect_exit 0 "after message 114"
finish "viewer keys end to end"
