#!/usr/bin/env bash
# An installed copy under a fresh prefix, started by a user with an empty
# home, finds its default palette: no message 107 before anything else.
#   install_test.sh BUILD_DIR
set -u
build=$1
. "$(dirname "$0")/common.sh"

prefix="$work/prefix"
if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
for file in bin/orrin bin/tvntool share/orrin/quake2.pal share/applications/orrin.desktop \
            share/mime/packages/orrin-tvn.xml; do
    [ -e "$prefix/$file" ] || fail "not installed: $file"
done

# The first and last entries of the Quake II palette.
palette="$prefix/share/orrin/quake2.pal"
[ "$(head -n 1 "$palette" | tr -d '\r')" = "JASC-PAL" ] || fail "the palette is not a JASC file"
[ "$(sed -n 4p "$palette" | tr -d '\r')" = "0 0 0" ] || fail "palette entry 0 is not 0 0 0"
[ "$(sed -n 259p "$palette" | tr -d '\r')" = "159 91 83" ] || fail "palette entry 255 is not 159 91 83"

# Without a display the viewer's messages go to standard error; the palette
# is looked for first, and the scene that is not there ends the run.
mkdir -p "$work/home"
env -i PATH="$PATH" HOME="$work/home" ASAN_OPTIONS="${ASAN_OPTIONS:-}" \
    timeout 20 "$prefix/bin/orrin" --view "$work/none.tvn" 2>"$work/stderr"
status=$?
[ "$status" -eq 1 ] || fail "orrin --view of a missing scene exited $status: $(cat "$work/stderr")"
if grep -q "quake2.pal" "$work/stderr"; then
    fail "the installed copy did not find its palette: $(cat "$work/stderr")"
fi

[ "$failures" -eq 0 ] || exit 1
echo "install: ok"
