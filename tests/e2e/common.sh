# Shared by the end-to-end scripts: sourced, not run.
# require_tools TOOL...: exit 77 (skipped) when one is missing. Then a work
# folder in $work, pids in $xvfb_pid and $orrin_pid killed on the way out
# whatever happens, and fail() counting into $failures.

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

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
