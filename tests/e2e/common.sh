# Shared by the end-to-end scripts: sourced, not run.
# require_tools TOOL...: exit 77 (skipped) when one is missing. Then a work
# folder in $work, pids in $xvfb_pid and $orrin_pid killed on the way out
# whatever happens, and fail() counting into $failures; start_xvfb and
# make_program_folder below.

require_tools() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
}

work=$(mktemp -d)
xvfb_pid=
orrin_pid=
cleanup() {
    [ -n "$orrin_pid" ] && kill "$orrin_pid" 2>/dev/null
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

# start_xvfb WxHxDEPTH: an X server on a free display (Xvfb picks it and says
# which on the descriptor), exported as DISPLAY; exit 77 when it does not start.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$work/display" ]; then
        echo "skipped: Xvfb did not start"
        exit 77
    fi
    export DISPLAY=":$(head -n 1 "$work/display")"
}

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
