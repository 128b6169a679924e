#!/usr/bin/env bash
# The programs as installed under a fresh prefix: their command lines, a start
# without a display, the manual pages (found, rendered, naming every option --help
# prints), the desktop entry, MIME types, thumbnailer and icons. Skipped (77)
# without man, when nothing else failed.
#   manual_test.sh BUILD_DIR
. "$(dirname "$0")/common.sh"
build=$1

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    die "cmake --install: $(cat "$work/install.log")"
# What the checks below do not open themselves.
for file in share/mime/packages/orrin-tvn.xml share/mime/packages/orrin-models.xml share/man/man1/orrin.1 \
            share/man/man1/tvntool.1; do
    [ -e "$prefix/$file" ] || fail "not installed: $file"
done

orrin=$prefix/bin/orrin
tool=$prefix/bin/tvntool
pages=$prefix/share/man/man1
# The first and last entries of the Quake II palette.
palette="$prefix/share/orrin/quake2.pal"
[ "$(head -n 1 "$palette" | tr -d '\r')" = "JASC-PAL" ] || fail "the palette is not a JASC file"
[ "$(sed -n 4p "$palette" | tr -d '\r')" = "0 0 0" ] || fail "palette entry 0 is not 0 0 0"
[ "$(sed -n 259p "$palette" | tr -d '\r')" = "159 91 83" ] || fail "palette entry 255 is not 159 91 83"

# run CODE PROGRAM ARG...: PROGRAM exits with CODE, its output in $work/out and $work/err.
run() {
    timeout -k 2 10 "${@:2}" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$1" ] || fail "${*:2}: exit $got, expected $1 ($(head -c 300 "$work/err"))"
}

for program in "$orrin" "$tool"; do
    name=$(basename "$program")
    for option in --help -h; do
        run 0 "$program" "$option"
        grep -q "^usage: $name" "$work/out" || fail "$name $option prints no usage on standard output"
        [ ! -s "$work/err" ] || fail "$name $option writes on standard error: $(cat "$work/err")"
    done
    run 0 "$program" --version
    grep -Eq "^$name [0-9]+\.[0-9]+" "$work/out" || fail "$name --version: $(cat "$work/out")"
done
run 2 "$orrin" --bogus
grep -q "^usage: orrin" "$work/err" || fail "orrin --bogus gives no usage on standard error"
[ ! -s "$work/out" ] || fail "orrin --bogus writes on standard output"
run 64 "$tool" --bogus

# as_user: with an empty home and no display. The dialog and the viewer must not
# open where no one can see them: one line says why, and nothing else (no message
# 107 about the palette).
mkdir -p "$work/home"
as_user=(env -i PATH="$PATH" HOME="$work/home" ASAN_OPTIONS="${ASAN_OPTIONS:-}")
for args in "" "--view $work/none.tvn"; do
    # shellcheck disable=SC2086  # the words of $args are arguments
    run 1 "${as_user[@]}" "$orrin" $args
    [ ! -s "$work/out" ] && [ "$(grep -c display "$work/err")" = 1 ] && [ "$(wc -l <"$work/err")" = 1 ] ||
        fail "orrin $args without a display: $(cat "$work/out" "$work/err")"
done

# Every option the usage names is in the page: orrin's, tvntool's and those
# of each command tvntool lists.
options_of() { grep -oE -- '(^|[ [|])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z-]+' | sort -u; }
timeout 10 "$orrin" --help | options_of >"$work/orrin.options"
timeout 10 "$tool" --help | options_of >"$work/tvntool.options"
commands=$(timeout 10 "$tool" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p; s/^  \([a-z][a-z]*\)$/\1/p')
[ -n "$commands" ] || fail "tvntool --help lists no commands"
for command in $commands; do
    grep -q "^\.B.* $command\b\|^\.B[IR]* \"\?$command\b" "$pages/tvntool.1" || fail "tvntool.1 does not describe $command"
    timeout 10 "$tool" "$command" --help | sed -n '1,/^$/p' | options_of >>"$work/tvntool.options"
done
for name in orrin tvntool; do
    for option in $(sort -u "$work/$name.options"); do
        grep -qF -- "$(sed 's/-/\\-/g' <<<"$option")" "$pages/$name.1" || fail "$name.1 does not name $option"
    done
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
timeout -k 2 20 "${as_user[@]}" $command || fail "the thumbnailer fails: $command"
size=$(png_size "$work/box.png")
[ "$size" = "128 96" ] || fail "the thumbnail of a scene is not 128 x 96 but $size"


if ! command -v man >/dev/null; then
    [ "$failures" -eq 0 ] || exit 1
    require_tools man  # skipped: the pages are not rendered
fi
for name in orrin tvntool; do
    found=$(man -M "$prefix/share/man" -w "$name" 2>&1)
    [ "$found" = "$pages/$name.1" ] || fail "man does not find the installed $name page: $found"
    MANWIDTH=80 man --warnings -l "$found" >"$work/page" 2>"$work/warnings" || fail "man cannot render $name.1"
    [ ! -s "$work/warnings" ] || fail "$name.1: $(cat "$work/warnings")"
    [ "$(grep -c '' "$work/page")" -gt 20 ] || fail "$name.1 renders to almost nothing"
done
finish "the installed programs, their command lines and manual pages"
