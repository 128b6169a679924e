#!/usr/bin/env bash
# End to end: the settings dialog under Xvfb, driven by xdotool. "View Scene"
# shows the scene, Escape brings the dialog back, "Exit" stores the settings;
# a scene that cannot be opened gives a message box, then the error list, and
# the program keeps running. At 192 dpi the dialog is twice the size, and
# Escape ends it storing nothing.
#   dialog_test.sh ORRIN
. "$(dirname "$0")/common.sh"
orrin=$1
require_tools Xvfb xdotool xwininfo xprop import convert perl timeout

make_program_folder "$orrin" '[3dfx]\nResolution=3\nSSJPGQuality=3\n'
start_xvfb 800x600x16
# The "Exit" button's centre in pixels (224, 125, 50, 14 in dialog units).
exit_x=373; exit_y=214

# The screen's 100 dpi round to the dialog's own scale.
start_orrin "$work/prog/orrin" "$work/box.tvn"
dialog=$(find_window Orrin) || die "no dialog"
sleep 0.5
size=$(window_size "$dialog" | cut -d' ' -f1-2)
[ "$size" = "422 237" ] || fail "the dialog is $size at 100 dpi"
class=$(xprop -id "$dialog" WM_CLASS 2>/dev/null)
[ "$class" = 'WM_CLASS(STRING) = "orrin", "Orrin"' ] || fail "the dialog's class: $class"
click_in "$dialog" "$view_x" "$view_y"
find_window 'Test Window' >/dev/null || die "View Scene shows no viewer window"
# 800x600 from the settings: the box sits in the middle of the screen.
screen_until shown is_red 400 300 || fail "the scene is not shown: $(pixel "$work/shown.png" 400 300)"
xdotool key Escape
window_gone 'Test Window' || die "Escape leaves the viewer up"
dialog=$(find_window Orrin) || die "the dialog is not back after Escape"
sleep 0.5

# A scene that is not there: a message box, then the error list.
focus "$dialog"
xdotool mousemove --window "$dialog" 200 17 click 1
xdotool key ctrl+a BackSpace
xdotool type "$work/missing.tvn"
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
if within "$effect_seconds" errors_painted; then
    width=$(convert "$work/errors.png" -format %w info:)
    any_pixel "$work/errors.png" "8x20+$((width - 8))+6" '$3 + $4 + $5 < 384' && fail "the error list cuts its heading"
else
    fail "the error list is not painted"
fi
press_in "$errors" Return
window_gone 'Errors ' || die "the error list does not close with Return"
orrin_ended && die "orrin ended after a failed load"

dialog=$(find_window Orrin) || die "the dialog is not back after the error list"
click_in "$dialog" "$exit_x" "$exit_y"
expect_exit 0 "after Exit"
settings=$(cat "$ini")
# Gamma 1.0 is slider position 0, which the slider shows as 1: the first
# "View Scene" finds it moved and stores 100 - 1.
for line in Resolution=3 SSFileType=1 SSJPGQuality=3 SSBaseFileName=shot "SSBasePath=$work/prog/scrnshot" \
            "LastScene=$work/missing.tvn" Gamma=99; do
    grep -qxF "$line" <<<"$settings" || fail "$line not stored: $settings"
done

# What a desktop sets with xrdb.
xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	192"
start_orrin "$work/prog/orrin"
dialog=$(find_window Orrin) || die "no dialog at 192 dpi"
size_doubled() { [ "$(window_size "$dialog" | cut -d' ' -f1-2)" = "844 474" ]; }
within "$window_seconds" size_doubled || fail "the dialog is $(window_size "$dialog") at 192 dpi"
press_in "$dialog" Escape
expect_exit 0 "after Escape"
[ "$(cat "$ini")" = "$settings" ] || fail "Escape changed the settings: $(cat "$ini")"
finish "dialog end to end"
