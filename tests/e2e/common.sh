# Sourced by the end-to-end scripts: a work folder in $work, and everything started
# (Xvfb, orrin) ended on the way out. Every wait is bounded by $wait_seconds and by
# $script_seconds, well inside ctest's timeout: a failure ends with its own message.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wait_seconds=10  # for a window, a key's effect, a file, an exit; an ASan orrin beside a build takes 5 to start
script_seconds=45

# require_tools TOOL...: exit 77 (skipped) when one is missing.
require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
}

work=$(mktemp -d)
xvfb_pid=
orrin_pid=
cleanup() {
    # orrin may sit in a modal loop that never reads the SIGTERM SDL turns into an event.
    [ -n "$orrin_pid" ] && kill -KILL "$orrin_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# die MESSAGE: fail, show what orrin said, keep the screen in $ORRIN_E2E_KEEP if set, end.
die() {
    [ "$SECONDS" -ge "$script_seconds" ] && set -- "$* (the script has used its $script_seconds seconds)"
    fail "$*"
    [ -s "$work/orrin.out" ] && sed 's/^/orrin: /' "$work/orrin.out"
    [ -n "${ORRIN_E2E_KEEP:-}" ] && [ -n "$xvfb_pid" ] && import -window root "$ORRIN_E2E_KEEP/$(basename "$0" .sh).png"
    exit 1
}

finish() {
    [ "$failures" -eq 0 ] || exit 1
    echo "$1: passed"
}

# within SECONDS COMMAND...: COMMAND every 0.2 seconds until it succeeds or SECONDS pass.
within() {
    local remaining=$((script_seconds - SECONDS)) deadline
    [ "$remaining" -gt 0 ] || die "out of time"
    deadline=$((SECONDS + ($1 < remaining ? $1 : remaining)))
    shift
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.2
    done
}

# start_xvfb WxHxDEPTH: an X server in place of the one before, as DISPLAY once a
# client can connect. Beside other servers starting, one refused its first: replaced.
start_xvfb() {
    local attempt
    require_tools Xvfb xdotool xwininfo xprop import convert perl timeout
    # X, GLX and D-Bus keep memory to the end: leaks are the unit tests' business.
    export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
    for attempt in 1 2 3; do
        [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
        : >"$work/display"
        Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
        xvfb_pid=$!
        within "$wait_seconds" test -s "$work/display" ||
            { [ "$failures" -eq 0 ] || die "Xvfb did not start"; echo "skipped: Xvfb did not start"; exit 77; }
        export DISPLAY=":$(head -n 1 "$work/display")"
        within 2 x_answers && return 0
        echo "the X server on $DISPLAY does not answer (attempt $attempt): $(tail -n 3 "$work/xvfb.log")"
    done
    die "no X server answers"
}
x_answers() { xdotool getdisplaygeometry >/dev/null 2>&1; }

# make_program_folder ORRIN INI: a copy of orrin in $work/prog, where its log and
# shots go, with a grey quake2.pal; the settings file $ini holding INI; $work/box.tvn.
make_program_folder() {
    mkdir -p "$work/prog" "$work/config/Fennwick"
    cp "$1" "$work/prog/orrin"
    ini="$work/config/Fennwick/TAV.ini"
    printf '%b' "$2" >"$ini"
    perl -e 'print "JASC-PAL\n0100\n256\n"; print "$_ $_ $_\n" for 0..255' >"$work/prog/quake2.pal"
    perl "$here/write_scene.pl" "$work/box.tvn"
    export XDG_CONFIG_HOME="$work/config"
}

start_orrin() {
    "$@" >"$work/orrin.out" 2>&1 &
    orrin_pid=$!
}

# view SCENE: "orrin --view SCENE", its window in $window.
view() {
    start_orrin "$work/prog/orrin" --view "$1"
    window=$(find_window 'Test Window') || die "no viewer window for $1"
}

# expect_exit CODE [WHEN]: orrin ends with CODE.
expect_exit() {
    if ! within "$wait_seconds" orrin_ended; then
        fail "orrin does not end ${2:-}"
        kill -KILL "$orrin_pid" 2>/dev/null
    fi
    wait "$orrin_pid"
    local status=$?
    orrin_pid=
    [ "$status" -eq "$1" ] || fail "orrin exited with $status ${2:-}: $(cat "$work/orrin.out")"
}
orrin_ended() { ! kill -0 "$orrin_pid" 2>/dev/null; }
leave() {
    xdotool key Escape
    expect_exit 0 "$@"
}

# find_window NAME: the visible window called exactly NAME. Not --sync: a
# search that meets a window being destroyed ends with an X error.
find_window() { within "$wait_seconds" take_window "$1" && echo "$found"; }
take_window() { found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1); [ -n "$found" ]; }
window_gone() { within "$wait_seconds" no_window "$1"; }
no_window() { [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ]; }

# focus WINDOW: without a window manager nobody else hands a window the keyboard.
focus() { timeout 2 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
press_in() { focus "$1"; xdotool key "$2"; }
click_in() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# The centre of the dialog's "View Scene" button (7, 125, 50, 14 in dialog units).
view_x=48; view_y=214

# window_size WINDOW: "WIDTH HEIGHT X Y".
window_size() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print w, h, x, y }'
}

# message_box [DIALOG]: the viewable "Orrin" other than DIALOG: SDL's box or FLTK's
# alert. xdotool does not see the name SDL gives its box, xwininfo does.
message_box() {
    local id dialog
    dialog=$([ -n "${1:-}" ] && printf '0x%x' "$1")
    for id in $(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Orrin":.*/\1/p'); do
        [ "$((id))" = "$((${dialog:-0}))" ] && continue
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && { echo "$id"; return 0; }
    done
    return 1
}
# wait_box [DIALOG]: the message box in $box.
wait_box() { within "$wait_seconds" take_box "${1:-}"; }
take_box() { box=$(message_box "$1"); }
# close_box: Return presses the box's one button, wherever its fonts put it.
close_box() { press_in "$box" Return; within "$wait_seconds" box_gone; }
box_gone() { ! xwininfo -id "$box" 2>/dev/null | grep -q IsViewable; }

# pixels FILE CROP: "x y r g b" (0..255) for each pixel of the WxH+X+Y crop;
# any_pixel: one meets the awk CONDITION on $3, $4, $5.
pixels() {
    convert "$1" -crop "$2" +repage -depth 8 -colorspace sRGB txt:- | sed -n '2,$p' |
        sed -E 's/^([0-9]+),([0-9]+):[^(]*\(([0-9.]+),([0-9.]+),([0-9.]+).*/\1 \2 \3 \4 \5/' |
        awk '{ printf "%d %d %d %d %d\n", $1, $2, $3, $4, $5 }'
}
any_pixel() { pixels "$1" "$2" | awk "$3 { found = 1 } END { exit !found }"; }
pixel() { pixels "$1" "1x1+$2+$3" | cut -d' ' -f3-; }
is_red() { any_pixel "$1" "1x1+$2+$3" '$3 > 200 && $4 < 60 && $5 < 60'; }

# shot_complete FILE: a JPEG or PNG written to its end marker (the checks then decode it).
shot_complete() { tail -c 12 "$1" 2>/dev/null | od -An -tx1 | tr -d ' \n' | grep -Eq 'ffd9$|49454e44ae426082$'; }

# screen_until NAME CHECK ARG...: screenshots into $work/NAME.png until CHECK
# PICTURE ARG... passes: keys take effect later on a busy machine.
screen_until() { within "$wait_seconds" screen_check "$@"; }
key_until() { xdotool key "$1"; shift; screen_until "$@"; }
screen_check() {
    local name=$1 check=$2
    shift 2
    import -window root "$work/$name.png" && "$check" "$work/$name.png" "$@"
}
