#!/usr/bin/env bash
# End to end: the settings dialog under Xvfb, driven by xdotool.
#   dialog_test.sh ORRIN
# "View Scene" shows the scene, Escape brings the dialog back, "Exit" stores
# the settings; a scene that cannot be opened gives a message box, then the
# error list, and the program keeps running. At 192 dpi the dialog is twice
# the size, and Escape ends it storing nothing. Exits 77 (skipped) when a tool
# is missing; kills everything it started on the way out.
set -u
orrin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/common.sh"
require_tools Xvfb xdotool xwininfo import convert perl timeout

make_program_folder "$orrin" '[3dfx]\nResolution=3\nSSJPGQuality=3\n'
ini="$work/config/Fennwick/TAV.ini"
start_xvfb 800x600x16

# The "Exit" button's centre in pixels (224, 125, 50, 14 in dialog units).
exit_x=373; exit_y=214

# The screen's 100 dpi round to the dialog's own scale.
start_orrin "$work/prog/orrin" "$work/box.tvn"
dialog=$(find_window Orrin)
[ -n "$dialog" ] || die "no dialog"
sleep 0.5
[ "$(window_size "$dialog")" = 422x237 ] || fail "the dialog is $(window_size "$dialog") at 100 dpi"
[ "$(window_class "$dialog")" = '"orrin", "Orrin"' ] || fail "the dialog's class is $(window_class "$dialog")"
click_in "$dialog" "$view_x" "$view_y"
[ -n "$(find_window 'Test Window')" ] || die "View Scene shows no viewer window"
# 800x600 from the settings: the box sits in the middle of the screen.
screen_until shown is_red 400 300 || fail "the scene is not shown: $(pixel "$work/shown.png" 400 300)"
xdotool key Escape
window_gone 'Test Window' || die "Escape leaves the viewer up"
dialog=$(find_window Orrin)
[ -n "$dialog" ] || die "the dialog is not back after Escape"
sleep 0.5

# A scene that is not there: a message box, then the error list.
focus "$dialog"
xdotool mousemove --window "$dialog" 200 17 click 1
xdotool key ctrl+a BackSpace
xdotool type "$work/missing.tvn"
click_in "$dialog" "$view_x" "$view_y"
box=
take_box() { box=$(message_box "$dialog"); }
within "$window_seconds" take_box || die "no message box for the missing scene"
# Return presses the box's one button, wherever the box's fonts put it.
press_in "$box" Return
box_closed() { ! xwininfo -id "$box" 2>/dev/null | grep -q 'IsViewable'; }
within "$window_seconds" box_closed || die "the message box does not close with Return"

errors=$(find_window 'Errors ')
[ -n "$errors" ] || die "no error list for a missing scene"
grep -q "Error opening scene file" "$work/prog/errors.txt" || fail "errors.txt: $(cat "$work/prog/errors.txt")"
# The list's white foot shows the window is painted; then the heading, one
# line at y 6..25, must end inside the window: the last columns of its band
# hold no text.
errors_painted() {
    import -window "$errors" "$work/errors.png" && [ "$(pixel "$work/errors.png" 20 140)" = "255 255 255" ]
}
heading_whole() {
    local width
    width=$(convert "$1" -format %w info:)
    convert "$1" -crop "8x20+$((width - 8))+6" +repage -depth 8 -colorspace gray txt:- |
        sed -n '2,$p' | sed -E 's/^[^(]*\(([0-9.]+).*/\1/' |
        awk '$1 < 128 { dark = 1 } END { exit dark ? 1 : 0 }'
}
if within "$effect_seconds" errors_painted; then
    heading_whole "$work/errors.png" || fail "the error list cuts its heading"
else
    fail "the error list is not painted"
fi
press_in "$errors" Return
window_gone 'Errors ' || die "the error list does not close with Return"
kill -0 "$orrin_pid" 2>/dev/null || die "orrin ended after a failed load"

dialog=$(find_window Orrin)
[ -n "$dialog" ] || die "the dialog is not back after the error list"
click_in "$dialog" "$exit_x" "$exit_y"
wait_orrin
status=$?
[ "$status" -eq 0 ] || fail "orrin exited with $status: $(cat "$work/orrin.out")"

settings=$(cat "$ini")
grep -q '^Resolution=3$' <<<"$settings" || fail "Resolution not stored: $settings"
grep -q '^SSFileType=1$' <<<"$settings" || fail "SSFileType not stored: $settings"
grep -q '^SSJPGQuality=3$' <<<"$settings" || fail "SSJPGQuality not stored: $settings"
grep -q '^SSBaseFileName=shot$' <<<"$settings" || fail "SSBaseFileName not stored: $settings"
grep -q "^SSBasePath=$work/prog/scrnshot\$" <<<"$settings" || fail "SSBasePath not stored: $settings"
grep -q "^LastScene=$work/missing.tvn\$" <<<"$settings" || fail "LastScene not stored: $settings"
# Gamma 1.0 is slider position 0, which the slider shows as 1: the first
# "View Scene" finds it moved and stores 100 - 1.
grep -q '^Gamma=99$' <<<"$settings" || fail "Gamma not stored: $settings"


set_xft_dpi 192
start_orrin "$work/prog/orrin"
dialog=$(find_window Orrin)
[ -n "$dialog" ] || die "no dialog at 192 dpi"
size_doubled() { [ "$(window_size "$dialog")" = 844x474 ]; }
within "$window_seconds" size_doubled || fail "the dialog is $(window_size "$dialog") at 192 dpi"
press_in "$dialog" Escape
wait_orrin
status=$?
[ "$status" -eq 0 ] || fail "orrin exited with $status after Escape: $(cat "$work/orrin.out")"
[ "$(cat "$ini")" = "$settings" ] || fail "Escape changed the settings: $(cat "$ini")"

[ "$failures" -eq 0 ] && echo "dialog end to end: passed"
[ "$failures" -eq 0 ]
