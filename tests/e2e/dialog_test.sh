#!/usr/bin/env bash
# End to end: the settings dialog at 16 bits. "View Scene" shows the scene, where
# Alt+G shows the grid, F12 writes a JPEG without it, and Escape ends the timer
# and brings the dialog back; a scene not there gives a message box and the error
# list; "Exit" stores the settings. At 192 dpi the dialog is twice the size.
#   dialog_test.sh ORRIN
. "$(dirname "$0")/common.sh"
orrin=$1

make_program_folder "$orrin" '[3dfx]\nResolution=3\nSSJPGQuality=3\n'
start_xvfb 800x600x16

start_orrin "$work/prog/orrin" "$work/box.tvn"
dialog=$(find_window Orrin) || die "no dialog"
sleep 0.5
size=$(window_size "$dialog" | cut -d' ' -f1-2)
[ "$size" = "422 237" ] || fail "the dialog is $size at 100 dpi, its own scale"
class=$(xprop -id "$dialog" WM_CLASS 2>/dev/null)
[ "$class" = 'WM_CLASS(STRING) = "orrin", "Orrin"' ] || fail "the dialog's class: $class"
click_in "$dialog" "$view_x" "$view_y"
find_window 'Test Window' >/dev/null || die "View Scene shows no viewer window"

# The grid in the plane y = 0, seen edge on: a light line across the middle, left of the box.
has_grid() { any_pixel "$1" 1x13+100+294 '$3 > 90 && $4 > 90'; }
screen_until shown is_red 400 300 ||
    fail "the box is not in the middle of the screen: $(pixel "$work/shown.png" 400 300)"
is_red "$work/shown.png" 100 100 && fail "the background is red too"
has_grid "$work/shown.png" && fail "a grid is shown before Alt+G"
key_until alt+g gridded has_grid || fail "Alt+G shows no grid"
xdotool key F12
shot="$work/prog/scrnshot/shot000.jpg"
within "$wait_seconds" shot_complete "$shot" || die "F12 wrote no complete shot000.jpg"
is_red "$shot" 400 300 || fail "the screen shot does not show the box"
has_grid "$shot" && fail "the screen shot shows the grid"
screen_until after-shot has_grid || fail "the grid is gone after the screen shot"
# Escape with the timer running stops it first.
xdotool key alt+a
sleep 1
xdotool key Escape
window_gone 'Test Window' || die "Escape leaves the viewer up"
log=$(cat "$work/prog/log.txt" 2>/dev/null)
grep -Eq 'Redraw timer stopped after [1-9][0-9]* ticks' <<<"$log" || fail "no timer ticks in log.txt: $log"
grep -Eq '^Average Timed Interval = +[0-9]+ microseconds$' <<<"$log" || fail "no frame time in log.txt: $log"
dialog=$(find_window Orrin) || die "the dialog is not back after Escape"
sleep 0.5

# A scene that is not there: a message box, then the error list.
focus "$dialog"
click_in "$dialog" 200 17
xdotool key ctrl+a BackSpace type "$work/missing.tvn"
click_in "$dialog" "$view_x" "$view_y"
wait_box "$dialog" || die "no message box for the missing scene"
close_box || die "the message box does not close with Return"

errors=$(find_window 'Errors ') || die "no error list for a missing scene"
grep -q "Error opening scene file" "$work/prog/errors.txt" || fail "errors.txt: $(cat "$work/prog/errors.txt")"
# The list's white foot shows the window is painted; then the heading, one
# line at y 6..25, must end inside the window: its band's last columns hold no text.
errors_painted() {
    import -window "$errors" "$work/errors.png" && [ "$(pixel "$work/errors.png" 20 140)" = "255 255 255" ]
}
within "$wait_seconds" errors_painted || die "the error list is not painted"
width=$(convert "$work/errors.png" -format %w info:)
any_pixel "$work/errors.png" "8x20+$((width - 8))+6" '$3 + $4 + $5 < 384' && fail "the error list cuts its heading"
press_in "$errors" Return
window_gone 'Errors ' || die "the error list does not close with Return"
orrin_ended && die "orrin ended after a failed load"

dialog=$(find_window Orrin) || die "the dialog is not back after the error list"
click_in "$dialog" 373 214  # "Exit", at 224, 125, 50, 14 in dialog units
expect_exit 0 "after Exit"
settings=$(cat "$ini")
# Gamma 1.0 is slider position 0, shown as 1: the first "View Scene" finds it
# moved and stores 100 - 1. The viewer stored its timer and mouse settings.
for line in Resolution=3 SSFileType=1 SSJPGQuality=3 SSBaseFileName=shot "SSBasePath=$work/prog/scrnshot" \
            "LastScene=$work/missing.tvn" Gamma=99 TimerDelay=60 MouseSensitivity=3; do
    grep -qxF "$line" <<<"$settings" || fail "$line not stored: $settings"
done

# What a desktop sets with xrdb.
xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	192"
start_orrin "$work/prog/orrin"
dialog=$(find_window Orrin) || die "no dialog at 192 dpi"
size_doubled() { [ "$(window_size "$dialog" | cut -d' ' -f1-2)" = "844 474" ]; }
within "$wait_seconds" size_doubled || fail "the dialog is $(window_size "$dialog") at 192 dpi"
press_in "$dialog" Escape
expect_exit 0 "after Escape"
[ "$(cat "$ini")" = "$settings" ] || fail "Escape changed the settings: $(cat "$ini")"
finish "dialog end to end"
