#!/usr/bin/env bash
# End to end: "orrin --view" on a one-box scene under Xvfb at 16 bits: Alt+G
# shows the grid, F12 writes a JPEG without it, and Escape ends the running
# timer and stores the settings.
#   viewer_test.sh ORRIN
. "$(dirname "$0")/common.sh"
orrin=$1
require_tools Xvfb xdotool import convert perl timeout

make_program_folder "$orrin" '[3dfx]\nResolution=3\nSSFileType=1\nSSJPGQuality=3\n'
start_xvfb 800x600x16

start_orrin "$work/prog/orrin" --view "$work/box.tvn"
find_window 'Test Window' >/dev/null || die "no viewer window"
sleep 1

# The grid lies in the plane y = 0, seen edge on: a light line across the
# middle of the screen, left of the box.
has_grid() { any_pixel "$1" 1x13+100+294 '$3 > 90 && $4 > 90'; }
# A JPEG is complete when it ends with the end-of-image marker.
jpeg_complete() { [ -f "$1" ] && [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' ')" = "ffd9" ]; }

screen_until shown is_red 400 300 || fail "the box is not in the middle of the screen: $(pixel "$work/shown.png" 400 300)"
is_red "$work/shown.png" 100 100 && fail "the background is red too"
has_grid "$work/shown.png" && fail "a grid is shown before Alt+G"

xdotool key alt+g
screen_until gridded has_grid || fail "Alt+G shows no grid"
xdotool key F12
shot="$work/prog/scrnshot/shot000.jpg"
within "$effect_seconds" jpeg_complete "$shot"
screen_until after-shot has_grid || fail "the grid is gone after the screen shot"
if jpeg_complete "$shot"; then
    is_red "$shot" 400 300 || fail "the screen shot does not show the box"
    has_grid "$shot" && fail "the screen shot shows the grid"
else
    fail "F12 wrote no complete shot000.jpg"
fi

# Escape with the timer running stops it first.
xdotool key alt+a
sleep 1
xdotool key Escape
expect_exit 0

log=$(cat "$work/prog/log.txt" 2>/dev/null)
grep -Eq 'Redraw timer stopped after [1-9][0-9]* ticks' <<<"$log" || fail "no timer ticks in log.txt: $log"
grep -Eq '^Average Timed Interval = +[0-9]+ microseconds$' <<<"$log" || fail "no frame time in log.txt: $log"
grep -q '^TimerDelay=60' "$ini" || fail "TimerDelay not stored"
grep -q '^MouseSensitivity=3' "$ini" || fail "MouseSensitivity not stored"
finish "viewer end to end"
