#!/usr/bin/env bash
# End to end: what orrin does before its dialog or viewer. Without a display
# it says so on one line and exits with 1; on a screen of 256 colours it shows
# message 114 and ends without the dialog.
#   start_checks_test.sh ORRIN
. "$(dirname "$0")/common.sh"
orrin=$1
require_tools Xvfb xdotool xwininfo timeout

export XDG_CONFIG_HOME="$work/config"

# The dialog, and the viewer straight away (which must not open where no
# one can see it, nor press its Escape).
for args in "" "--view $work/scene.tvn"; do
    # shellcheck disable=SC2086  # the words of $args are arguments
    env -u DISPLAY -u WAYLAND_DISPLAY timeout -s KILL "$effect_seconds" "$orrin" $args >"$work/nodisplay.out" 2>&1
    status=$?
    [ "$status" -eq 1 ] || fail "orrin $args: without a display the exit status is $status"
    [ "$(wc -l <"$work/nodisplay.out")" -eq 1 ] || fail "orrin $args without a display: $(cat "$work/nodisplay.out")"
    grep -q 'display' "$work/nodisplay.out" || fail "orrin $args: the line does not name the display: $(cat "$work/nodisplay.out")"
done

start_xvfb 640x480x8

start_orrin "$orrin"
box=$(find_window Orrin) || die "no message on a screen of 256 colours"
# The dialog is 422 pixels wide; message 114 is a wide alert.
[ "$(window_size "$box" | cut -d' ' -f1)" != 422 ] || die "the dialog opened on a screen of 256 colours"
press_in "$box" Return
expect_exit 0 "after message 114"
finish "start checks"
