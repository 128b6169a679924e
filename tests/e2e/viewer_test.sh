#!/usr/bin/env bash
# End to end: "orrin --view" on a one-box scene under Xvfb, driven by xdotool
# and checked by pixels of screenshots of the X screen.
#   viewer_test.sh ORRIN
# Exits 77 (skipped) when a tool is missing. Everything it starts is killed
# on the way out, whatever happens.
set -u
orrin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/common.sh"
require_tools Xvfb xdotool import convert perl timeout

make_program_folder "$orrin" '[3dfx]\nResolution=3\nSSFileType=1\nSSJPGQuality=3\n'
start_xvfb 800x600x16

start_orrin "$work/prog/orrin" --view "$work/box.tvn"
[ -n "$(find_window 'Test Window')" ] || die "no viewer window"
sleep 1

# The grid lies in the plane y = 0, seen edge on: a light line across the
# middle of the screen, left of the box.
has_grid() {
    convert "$1" -crop 1x13+100+294 +repage -depth 8 -colorspace sRGB txt:- |
        sed -n '2,$p' | sed -E 's/^[^(]*\(([0-9.]+),([0-9.]+),([0-9.]+).*/\1 \2 \3/' |
        awk '$1 > 90 && $2 > 90 { found = 1 } END { exit found ? 0 : 1 }'
}

# Green key-reference text anywhere on the help quad (x 50..487, y 50..285).
has_help() {
    convert "$1" -crop 437x235+50+50 +repage -depth 8 -colorspace sRGB txt:- |
        sed -n '2,$p' | sed -E 's/^[^(]*\(([0-9.]+),([0-9.]+),([0-9.]+).*/\1 \2 \3/' |
        awk '$2 > 150 && $1 < 80 && $3 < 80 { found = 1 } END { exit found ? 0 : 1 }'
}

no_help() { ! has_help "$@"; }

screen_until shown is_red 400 300 || fail "the box is not in the middle of the screen: $(pixel "$work/shown.png" 400 300)"
is_red "$work/shown.png" 100 100 && fail "the background is red too"
has_grid "$work/shown.png" && fail "a grid is shown before Alt+G"

xdotool key alt+g
screen_until gridded has_grid || fail "Alt+G shows no grid"

# A JPEG is complete when it ends with the end-of-image marker.
jpeg_complete() {
    [ -f "$1" ] && [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' ')" = "ffd9" ]
}

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

xdotool key F1
screen_until help has_help || fail "F1 shows no key reference"
xdotool key F1
screen_until no-help no_help || fail "a second F1 does not hide the key reference"

# Escape with the timer running stops it first.
xdotool key alt+a
sleep 1
xdotool key Escape
wait_orrin
status=$?
[ "$status" -eq 0 ] || fail "orrin exited with $status: $(cat "$work/orrin.out")"

log=$(cat "$work/prog/log.txt" 2>/dev/null)
grep -Eq 'Redraw timer stopped after [1-9][0-9]* ticks' <<<"$log" || fail "no timer ticks in log.txt: $log"
grep -Eq '^Average Timed Interval = +[0-9]+ microseconds$' <<<"$log" || fail "no frame time in log.txt: $log"
grep -q '^TimerDelay=60' "$work/config/Fennwick/TAV.ini" || fail "TimerDelay not stored"
grep -q '^MouseSensitivity=3' "$work/config/Fennwick/TAV.ini" || fail "MouseSensitivity not stored"

[ "$failures" -eq 0 ] && echo "viewer end to end: passed"
[ "$failures" -eq 0 ]
