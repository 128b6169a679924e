#!/usr/bin/env bash
# End to end: the settings dialog under Xvfb, driven by xdotool.
#   dialog_test.sh ORRIN
# "View Scene" shows the scene, Escape brings the dialog back, "Exit" stores
# the settings; a scene that cannot be opened gives the error list and the
# program keeps running. Exits 77 (skipped) when a tool is missing; kills
# everything it started on the way out.
set -u
orrin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/common.sh"
require_tools Xvfb xdotool xwininfo import convert perl timeout

make_program_folder "$orrin" '[3dfx]\nResolution=3\nSSJPGQuality=3\n'
ini="$work/config/Fennwick/TAV.ini"
start_xvfb 800x600x16

# The visible window called exactly name, within 10 seconds.
find_window() {
    timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
}

# Waits up to 10 seconds for no visible window called name.
window_gone() {
    for _ in $(seq 50); do
        [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ] && return 0
        sleep 0.2
    done
    return 1
}

# Clicks at x y inside the window (dialog pixels).
click_in() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

pixel() {
    convert "$1" -crop "1x1+$2+$3" +repage -depth 8 -colorspace sRGB txt:- |
        sed -n 2p | sed -E 's/^[^(]*\(([0-9.]+),([0-9.]+),([0-9.]+).*/\1 \2 \3/' |
        awk '{ printf "%d %d %d\n", $1, $2, $3 }'
}

is_red() {
    local r g b
    read -r r g b <<<"$(pixel "$1" "$2" "$3")"
    [ "$r" -gt 200 ] && [ "$g" -lt 60 ] && [ "$b" -lt 60 ]
}

screen_until() {
    local name=$1 check=$2
    shift 2
    for _ in $(seq 40); do
        import -window root "$work/$name.png"
        "$check" "$work/$name.png" "$@" && return 0
        sleep 0.2
    done
    return 1
}

# Button centres in pixels: "View Scene" (7, 125, 50, 14), "Exit" (224, 125, 50, 14).
view_x=48; view_y=214
exit_x=373; exit_y=214

timeout 60 "$work/prog/orrin" "$work/box.tvn" >"$work/orrin.out" 2>&1 &
orrin_pid=$!
dialog=$(find_window Orrin)
if [ -z "$dialog" ]; then
    cat "$work/orrin.out"
    echo "FAIL: no dialog"
    exit 1
fi
sleep 0.5
click_in "$dialog" "$view_x" "$view_y"
if [ -z "$(find_window 'Test Window')" ]; then
    fail "View Scene shows no viewer window"
fi
# 800x600 from the settings: the box sits in the middle of the screen.
screen_until shown is_red 400 300 || fail "the scene is not shown: $(pixel "$work/shown.png" 400 300)"
xdotool key Escape
window_gone 'Test Window' || fail "Escape leaves the viewer up"
dialog=$(find_window Orrin)
[ -n "$dialog" ] || fail "the dialog is not back after Escape"
sleep 0.5

# A scene that is not there: the message box, then the error list.
# Without a window manager nobody gives the dialog back the keyboard.
xdotool windowfocus --sync "$dialog"
xdotool mousemove --window "$dialog" 200 17 click 1
xdotool key ctrl+a BackSpace
xdotool type "$work/missing.tvn"
click_in "$dialog" "$view_x" "$view_y"
# The box ReportError shows above the viewer window: "Orrin" but not the
# dialog's size. xdotool does not see its name, so xwininfo finds it; OK is
# centred near its foot.
box=
for _ in $(seq 50); do
    box=$(xwininfo -root -tree | grep '"Orrin"' | grep -v ' 42[12]x237+' | head -n 1)
    [ -n "$box" ] && break
    sleep 0.2
done
if [ -n "$box" ]; then
    read -r w h x y <<<"$(sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+).*/\1 \2 \3 \4/' <<<"$box")"
    xdotool mousemove $((x + w / 2)) $((y + h * 72 / 100)) click 1
else
    import -window root "${ORRIN_E2E_KEEP:-$work}/nobox.png"
    fail "no message box for the missing scene"
fi
errors=$(find_window 'Errors ')
if [ -n "$errors" ]; then
    grep -q "Error opening scene file" "$work/prog/errors.txt" || fail "errors.txt: $(cat "$work/prog/errors.txt")"
    # OK of the error list: (81, 104, 50, 14).
    click_in "$errors" 159 180
    window_gone 'Errors ' || fail "the error list does not close with OK"
else
    fail "no error list for a missing scene"
fi
kill -0 "$orrin_pid" 2>/dev/null || fail "orrin ended after a failed load"

dialog=$(find_window Orrin)
[ -n "$dialog" ] && click_in "$dialog" "$exit_x" "$exit_y"
wait "$orrin_pid"
status=$?
orrin_pid=
[ "$status" -eq 0 ] || fail "orrin exited with $status: $(cat "$work/orrin.out")"

settings=$(cat "$ini")
grep -q '^Resolution=3$' <<<"$settings" || fail "Resolution not stored: $settings"
grep -q '^SSFileType=1$' <<<"$settings" || fail "SSFileType not stored: $settings"
grep -q '^SSJPGQuality=3$' <<<"$settings" || fail "SSJPGQuality not stored: $settings"
grep -q '^SSBaseFileName=shot$' <<<"$settings" || fail "SSBaseFileName not stored: $settings"
grep -q "^SSBasePath=$work/prog/scrnshot\$" <<<"$settings" || fail "SSBasePath not stored: $settings"
grep -q "^LastScene=$work/missing.tvn\$" <<<"$settings" || fail "LastScene not stored: $settings"

[ "$failures" -eq 0 ] && echo "dialog end to end: passed"
[ "$failures" -eq 0 ]
