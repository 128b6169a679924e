# Shared by the end-to-end scripts: sourced, not run.
# require_tools TOOL...: exit 77 (skipped) when one is missing. Then a work
# folder in $work, pids in $xvfb_pid and $orrin_pid killed on the way out
# whatever happens, fail() counting into $failures and die() for a failure
# nothing after can recover from; start_xvfb, make_program_folder, the
# window helpers and the pixel helpers below.
#
# Every wait is bounded twice: a window must come or go within
# $window_seconds and anything else (a key's effect on the screen, a file,
# orrin's exit) happen within $effect_seconds, and the whole script ends
# within $script_seconds, well inside ctest's timeout, however many steps
# fail. A failure always ends with its own message, never in a timeout.

require_tools() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
}

window_seconds=10  # an ASan orrin starting beside a parallel build can take 5
effect_seconds=10
script_seconds=45

work=$(mktemp -d)
xvfb_pid=
orrin_pid=
cleanup() {
    # orrin may sit in a modal loop that never reads the SIGTERM SDL turns
    # into an event.
    [ -n "$orrin_pid" ] && kill -KILL "$orrin_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Under the sanitizers: the X, GLX and D-Bus libraries a window brings in
# keep memory to the end, and SDL unloads OpenGL's before the leak check, so
# their reports cannot be told from ours. Leaks are the unit tests' business;
# here the sanitizers still catch every bad access.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# die MESSAGE: fail, show what orrin said, and end the script. With
# ORRIN_E2E_KEEP naming a folder, the screen at that moment is kept there.
die() {
    [ "$SECONDS" -ge "$script_seconds" ] && set -- "$* (the script has used its $script_seconds seconds)"
    fail "$*"
    [ -s "$work/orrin.out" ] && sed 's/^/orrin: /' "$work/orrin.out"
    [ -n "${ORRIN_E2E_KEEP:-}" ] && import -window root "$ORRIN_E2E_KEEP/$(basename "$0" .sh).png"
    exit 1
}

# budget SECONDS: $granted = SECONDS, or what is left of the script's time
# if less; status 1 when nothing is left.
budget() {
    local left=$((script_seconds - SECONDS))
    granted=$(($1 < left ? $1 : left))
    [ "$granted" -gt 0 ]
}

# within SECONDS COMMAND...: runs COMMAND every 0.2 seconds until it succeeds
# (status 0) or SECONDS pass (status 1).
within() {
    budget "$1" || die "out of time"
    local deadline=$((SECONDS + granted))
    shift
    while :; do
        "$@" && return 0
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.2
    done
}

# start_xvfb WxHxDEPTH: an X server on a free display (Xvfb picks it and says
# which on the descriptor), exported as DISPLAY once a client can connect;
# exit 77 when it does not start. With tests starting and stopping servers
# side by side, a server that said its number once refused the program's
# first connection: such a server is replaced, twice at most.
start_xvfb() {
    local attempt
    for attempt in 1 2 3; do
        : >"$work/display"
        Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
        xvfb_pid=$!
        if ! within "$window_seconds" test -s "$work/display"; then
            echo "skipped: Xvfb did not start"
            exit 77
        fi
        export DISPLAY=":$(head -n 1 "$work/display")"
        within 2 x_answers && return 0
        echo "the X server on $DISPLAY does not answer (attempt $attempt): $(tail -n 3 "$work/xvfb.log")"
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    done
    die "no X server answers"
}
x_answers() { xdotool getdisplaygeometry >/dev/null 2>&1; }

# make_program_folder ORRIN INI: a copy of orrin in $work/prog with a grey
# quake2.pal beside it, the settings file holding INI, and $work/box.tvn.
# The program folder is where orrin lies: log.txt, errors.txt and the
# screen-shot folder go there, so the copy keeps each test to itself.
make_program_folder() {
    mkdir -p "$work/prog" "$work/config/Fennwick"
    cp "$1" "$work/prog/orrin"
    printf '%b' "$2" >"$work/config/Fennwick/TAV.ini"
    perl -e 'print "JASC-PAL\n0100\n256\n"; print "$_ $_ $_\n" for 0..255' >"$work/prog/quake2.pal"
    perl "$(dirname "${BASH_SOURCE[0]}")/write_scene.pl" "$work/box.tvn"
    export XDG_CONFIG_HOME="$work/config"
}

# start_orrin PROGRAM ARG...: orrin in the background, its output in
# $work/orrin.out.
start_orrin() {
    "$@" >"$work/orrin.out" 2>&1 &
    orrin_pid=$!
}

# wait_orrin: orrin's exit status once it ends, within $effect_seconds; a
# failure (and orrin killed) when it does not.
wait_orrin() {
    local status
    if ! within "$effect_seconds" orrin_ended; then
        fail "orrin does not end"
        kill -KILL "$orrin_pid" 2>/dev/null
    fi
    wait "$orrin_pid"
    status=$?
    orrin_pid=
    return "$status"
}
orrin_ended() { ! kill -0 "$orrin_pid" 2>/dev/null; }

# find_window NAME: the id of the visible window called exactly NAME, within
# $window_seconds; nothing when there is none. Searched again and again
# rather than with --sync: a search that meets a window being destroyed (a
# message box just closed) ends with an X error instead of waiting on.
find_window() {
    budget "$window_seconds" || return 1
    local deadline=$((SECONDS + granted)) id
    while :; do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.2
    done
}

# window_gone NAME: no visible window called NAME, within $window_seconds.
window_gone() { within "$window_seconds" no_window "$1"; }
no_window() { [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ]; }

# focus WINDOW: gives WINDOW the keyboard. Without a window manager nobody
# else hands a new window the focus.
focus() {
    timeout 2 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
}

# click_in WINDOW X Y: a click at x y inside the window (window pixels).
click_in() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# The centre of the dialog's "View Scene" button (7, 125, 50, 14 in dialog
# units), in pixels: the dialog is laid out at a fixed scale, not by fonts.
view_x=48; view_y=214

# window_size WINDOW: "WIDTHxHEIGHT" of the window.
window_size() {
    xwininfo -id "$1" 2>/dev/null | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}

# window_class WINDOW: its WM_CLASS, as "INSTANCE", "CLASS".
window_class() {
    xprop -id "$1" WM_CLASS 2>/dev/null | sed -n 's/^WM_CLASS([A-Z_]*) = //p'
}

# set_xft_dpi DPI: Xft.dpi in the screen's X resources, as xrdb would set it.
set_xft_dpi() {
    xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$1"
}

# press_in WINDOW KEY: focus, then KEY.
press_in() {
    focus "$1"
    xdotool key "$2"
}

# message_box: the id of the viewable top-level window called "Orrin" other
# than the dialog, whose id is $1 (empty when hidden). SDL's box above the
# viewer and FLTK's alert are both called so; xdotool does not see the name
# SDL gives its box, xwininfo does.
message_box() {
    local id dialog
    dialog=$([ -n "${1:-}" ] && printf '0x%x' "$1")
    for id in $(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Orrin":.*/\1/p'); do
        [ "$((id))" = "$((${dialog:-0}))" ] && continue
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && { echo "$id"; return 0; }
    done
    return 1
}

# "r g b" of one pixel of a picture, 0..255.
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

# screen_until NAME CHECK ARG...: screenshots of the X screen into
# $work/NAME.png until CHECK (given the picture, then the arguments) passes
# on one, or $effect_seconds pass: keys take effect when orrin gets to them,
# later on a busy machine.
screen_until() {
    local name=$1
    shift
    within "$effect_seconds" screen_check "$name" "$@"
}
screen_check() {
    local name=$1 check=$2
    shift 2
    import -window root "$work/$name.png" && "$check" "$work/$name.png" "$@"
}
