#!/usr/bin/env bash
# --help and -h print the usage, --version the version; a wrong command line fails
# with the usage on standard error. Each manual page renders without a warning and
# names every command and option --help prints; skipped (77) without man.
#   manual_test.sh ORRIN TVNTOOL MAN_DIR
. "$(dirname "$0")/common.sh"
orrin=$1
tool=$2
pages=$3

# run CODE PROGRAM ARG...: PROGRAM exits with CODE, its output in $work/out and $work/err.
run() {
    local code=$1
    shift
    timeout 10 "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$code" ] || fail "$*: exit $got, expected $code ($(head -c 300 "$work/err"))"
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

# Every option the usage names is in the page: orrin's, tvntool's and those
# of each command tvntool lists.
options_of() { grep -oE -- '(^|[ [|])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z-]+' | sort -u; }
"$orrin" --help | options_of >"$work/orrin.options"
"$tool" --help | options_of >"$work/tvntool.options"
commands=$("$tool" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p; s/^  \([a-z][a-z]*\)$/\1/p')
[ -n "$commands" ] || fail "tvntool --help lists no commands"
for command in $commands; do
    grep -q "^\.B.* $command\b\|^\.B[IR]* \"\?$command\b" "$pages/tvntool.1" || fail "tvntool.1 does not describe $command"
    "$tool" "$command" --help | sed -n '1,/^$/p' | options_of >>"$work/tvntool.options"
done
for name in orrin tvntool; do
    for option in $(sort -u "$work/$name.options"); do
        grep -qF -- "$(sed 's/-/\\-/g' <<<"$option")" "$pages/$name.1" || fail "$name.1 does not name $option"
    done
done

if ! command -v man >/dev/null; then
    echo "skipped: man is not installed, the pages were not rendered"
    [ "$failures" -eq 0 ] && exit 77
    exit 1
fi
for page in "$pages/orrin.1" "$pages/tvntool.1"; do
    MANWIDTH=80 man --warnings -l "$page" >"$work/page" 2>"$work/warnings" || fail "man cannot render $page"
    [ ! -s "$work/warnings" ] || fail "$page: $(cat "$work/warnings")"
    [ "$(grep -c '' "$work/page")" -gt 20 ] || fail "$page renders to almost nothing"
done

finish "manual pages and command lines"
