#!/usr/bin/env bash
# An installed copy, started with an empty home and no display, says so and nothing
# else; its desktop entry, MIME packages, thumbnailer, icons and manual pages work.
#   install_test.sh BUILD_DIR
. "$(dirname "$0")/common.sh"
build=$1

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    die "cmake --install: $(cat "$work/install.log")"
for file in bin/orrin bin/tvntool share/orrin/quake2.pal share/applications/orrin.desktop \
            share/mime/packages/orrin-tvn.xml share/mime/packages/orrin-models.xml \
            share/thumbnailers/orrin.thumbnailer share/man/man1/orrin.1 share/man/man1/tvntool.1; do
    [ -e "$prefix/$file" ] || fail "not installed: $file"
done

# man finds the pages under the prefix by their names.
if command -v man >/dev/null; then
    for page in orrin tvntool; do
        found=$(man -M "$prefix/share/man" -w "$page" 2>&1)
        [ "$found" = "$prefix/share/man/man1/$page.1" ] || fail "man does not find the installed $page page: $found"
    done
fi

# The first and last entries of the Quake II palette.
palette="$prefix/share/orrin/quake2.pal"
[ "$(head -n 1 "$palette" | tr -d '\r')" = "JASC-PAL" ] || fail "the palette is not a JASC file"
[ "$(sed -n 4p "$palette" | tr -d '\r')" = "0 0 0" ] || fail "palette entry 0 is not 0 0 0"
[ "$(sed -n 259p "$palette" | tr -d '\r')" = "159 91 83" ] || fail "palette entry 255 is not 159 91 83"

# as_user COMMAND...: run with an empty home and no display.
mkdir -p "$work/home"
as_user() { env -i PATH="$PATH" HOME="$work/home" ASAN_OPTIONS="${ASAN_OPTIONS:-}" timeout 20 "$@"; }
# The dialog and the viewer must not open where no one can see them: one line
# says why, and nothing else (no message 107 about the palette).
for args in "" "--view $work/none.tvn"; do
    # shellcheck disable=SC2086  # the words of $args are arguments
    as_user "$prefix/bin/orrin" $args >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" = 1 ] && [ ! -s "$work/out" ] && [ "$(grep -c display "$work/err")" = 1 ] &&
        [ "$(wc -l <"$work/err")" = 1 ] || fail "orrin $args without a display: $status, $(cat "$work/out" "$work/err")"
done

desktop-file-validate "$prefix/share/applications/orrin.desktop" || fail "the desktop entry does not validate"
grep -q '^Icon=orrin$' "$prefix/share/applications/orrin.desktop" || fail "the desktop entry names no icon"
png_size() { od -An -tu1 -j16 -N8 "$1" 2>/dev/null | awk '{ print $3 * 256 + $4, $7 * 256 + $8 }'; }
# The icon in the theme's sizes, each a PNG of its size.
for size in 16 22 24 32 48 64 128 256; do
    dimensions=$(png_size "$prefix/share/icons/hicolor/${size}x$size/apps/orrin.png")
    [ "$dimensions" = "$size $size" ] || fail "no ${size}x$size icon: $dimensions"
done
xmllint --noout "$prefix"/share/mime/packages/orrin-*.xml || fail "a MIME package is not well-formed XML"
# The MIME database built from the packages alone knows every extension.
XDG_DATA_DIRS="$prefix/share" update-mime-database "$prefix/share/mime" 2>"$work/mime.log"
[ $? -eq 0 ] && [ ! -s "$work/mime.log" ] || fail "update-mime-database: $(cat "$work/mime.log")"
for glob in tvn md2 mdl sp2 spr; do
    grep -q ":\*\.$glob\$" "$prefix/share/mime/globs2" || fail "no MIME type for *.$glob"
done
# Every type the thumbnailer and the desktop entry name is one the packages
# define; the thumbnailer's command makes a picture of at most the size given.
thumbnailer="$prefix/share/thumbnailers/orrin.thumbnailer"
[ "$(head -n 1 "$thumbnailer")" = "[Thumbnailer Entry]" ] || fail "the thumbnailer entry has no group header"
for entry in "$thumbnailer" "$prefix/share/applications/orrin.desktop"; do
    for type in $(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' '); do
        grep -q "^$type\$" "$prefix/share/mime/types" || fail "$(basename "$entry") names the unknown type $type"
    done
done
perl "$here/write_scene.pl" "$work/box.tvn"
command=$(sed -n 's/^Exec=//p' "$thumbnailer" | sed "s|%i|$work/box.tvn|; s|%o|$work/box.png|; s|%s|128|")
as_user $command || fail "the thumbnailer fails: $command"
size=$(png_size "$work/box.png")
[ "$size" = "128 96" ] || fail "the thumbnail of a scene is not 128 x 96 but $size"

finish install
