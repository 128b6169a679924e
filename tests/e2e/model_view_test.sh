#!/usr/bin/env bash
# End to end: real model and sprite files shown in the middle of the screen,
# animating, on the stage tvntool renders for them; a file that is no model gets
# the load-error list; a Half-Life model without its texture file is told of.
#   model_view_test.sh ORRIN TVNTOOL TESTDATA
. "$(dirname "$0")/common.sh"
orrin=$1
tool=$2
testdata=$3
[ -f "$testdata/md2/assimp/faerie.md2" ] && [ -f "$testdata/hlmdl/assimp/man/manT.mdl" ] ||
    { echo "skipped: no test data"; exit 77; }
script_seconds=80

make_program_folder "$orrin" '[3dfx]\nResolution=3\n'
start_xvfb 800x600x24

# has_icon WINDOW: the window carries the program's icon for the desktop.
has_icon() { xprop -id "$1" _NET_WM_ICON 2>/dev/null | grep -q 'Icon ('; }

# Where two pictures differ, as WxH+X+Y; empty when they do not.
moved() {
    convert "$1" "$2" -compose difference -composite -colorspace gray -threshold 4% -format "%@" info: 2>/dev/null |
        awk -F'[x+]' '$1 * $2 >= 100'
}

# A box whose centre lies within 150 pixels of the 800 x 600 screen's.
in_middle() { awk -F'[x+]' '{ exit !(($3 + $1 / 2 - 400) ^ 2 < 22500 && ($4 + $2 / 2 - 300) ^ 2 < 22500) }' <<<"$1"; }

# near PICTURE REFERENCE X Y: the two pixels within 12 of each other.
near() {
    echo "$(pixel "$1" "$3" "$4") $(pixel "$2" "$3" "$4")" |
        awk '{ for (i = 1; i <= 3; i++) if (($i - $(i + 3)) ^ 2 > 144) exit 1 }'
}

differs_from() { [ -n "$(moved "$1" "$2")" ]; }

models="md2/assimp/faerie.md2 mdl/slipgate/progs/flame.mdl hlmdl/sven-lowdef/bmt/barney/barney.mdl
        sprite/didux-quake/sprites/s_bfg2.sp2"
for model in $models; do
    name=$(basename "$model" | tr '.' '_')
    # The offscreen render of the same file: the stage, and where it moves over 8 ticks.
    timeout 15 "$tool" render "$testdata/$model" -o "$work/$name-tool.png" --size 800x600 --frames 2 --every 8 2>/dev/null ||
        { fail "tvntool does not render $model"; continue; }
    expected=$(moved "$work/$name-tool000.png" "$work/$name-tool001.png")

    view "$testdata/$model"
    has_icon "$window" || fail "the viewer window has no icon"
    screen_until "$name-a" near "$work/$name-tool000.png" 20 20 ||
        fail "$model: the viewer's sky is not tvntool's at (20, 20)"
    near "$work/$name-a.png" "$work/$name-tool000.png" 400 590 ||
        fail "$model: the viewer's floor is not tvntool's at (400, 590): $(pixel "$work/$name-a.png" 400 590)"
    in_middle "$expected" || fail "$model: tvntool does not show it moving in the middle: $expected"
    screen_until "$name-b" differs_from "$work/$name-a.png" || fail "$model does not animate in the viewer"
    seen=$(moved "$work/$name-a.png" "$work/$name-b.png")
    in_middle "$seen" || fail "$model: the viewer does not show it moving in the middle: $seen"
    leave "after $model"
done

# Composed while the texture file is there, which the composer checks; then it goes.
cp "$testdata"/hlmdl/assimp/man/man{,T,01}.mdl "$work/"
cat >"$work/scene.json" <<JSON
{ "background": [0, 0, 0.25], "fieldOfView": 45, "camera": { "distance": 8 },
  "objects": [ { "class": "COGLBox", "emission": [1, 0, 0, 1], "diffuse": [0, 0, 0, 1], "ambient": [0, 0, 0, 1] },
               { "class": "COGLHLModel", "position": [3, 0, 0], "model": { "path": "$work/man.mdl" } } ] }
JSON
"$tool" compose "$work/scene.json" -o "$work/scene.tvn" || die "cannot compose the scene"
rm "$work/manT.mdl"
start_orrin "$work/prog/orrin" --view "$work/scene.tvn"
wait_box || die "no message box for the missing texture file"
close_box || die "the message box does not close with Return"
grep -q "unable to open .*manT.mdl" "$work/prog/errors.txt" ||
    fail "errors.txt does not name manT.mdl: $(cat "$work/prog/errors.txt" 2>/dev/null)"
find_window 'Test Window' >/dev/null || die "no viewer window after the report"
screen_until rest is_red 400 300 || fail "the rest of the scene is not shown: $(pixel "$work/rest.png" 400 300)"
leave "after the missing texture file"

printf 'IDP2 but nothing after' >"$work/broken.md2"
start_orrin "$work/prog/orrin" --view "$work/broken.md2"
wait_box || die "no message box for the broken model"
close_box || fail "the message box does not close with Return"
expect_exit 1 "after a broken model"
grep -q "Not a valid MD2 File" "$work/orrin.out" || fail "the broken model's error is not listed: $(cat "$work/orrin.out")"

# From the dialog: the model named on the command line fills the scene field,
# and "View Scene" shows it moving too; orrin is left to the clean-up.
start_orrin "$work/prog/orrin" "$testdata/md2/assimp/faerie.md2"
dialog=$(find_window Orrin) || die "no dialog"
has_icon "$dialog" || fail "the dialog has no icon"
sleep 0.5
click_in "$dialog" "$view_x" "$view_y"
find_window 'Test Window' >/dev/null || die "View Scene shows no viewer window for the model"
screen_until from-dialog-a near "$work/faerie_md2-tool000.png" 20 20 || fail "the dialog's viewer shows another stage"
screen_until from-dialog-b differs_from "$work/from-dialog-a.png" || fail "the model does not animate from the dialog"
finish "model view end to end"
