#!/usr/bin/env bash
# End to end: a Half-Life model whose texture file "manT.mdl" is missing,
# beside a red box, shown with "orrin --view" under Xvfb. The program tells
# "unable to open" in a message box, keeps running and shows the rest of the
# scene; Escape ends it normally.
#   companion_test.sh ORRIN HLMODEL_FOLDER
. "$(dirname "$0")/common.sh"
orrin=$1
models=$2
require_tools Xvfb xdotool xwininfo import convert perl timeout
if [ ! -f "$models/manT.mdl" ] || [ ! -x "$(dirname "$orrin")/tvntool" ]; then
    echo "skipped: no Half-Life test data or no tvntool here"
    exit 77
fi

make_program_folder "$orrin" '[3dfx]\nResolution=3\n'
# Composed while the texture file is there, which the composer checks;
# then it goes missing, as files do between machines.
cp "$models/man.mdl" "$models/manT.mdl" "$models/man01.mdl" "$work/"
cat >"$work/scene.json" <<JSON
{ "background": [0, 0, 0.25], "fieldOfView": 45, "camera": { "distance": 8 },
  "objects": [ { "class": "COGLBox", "emission": [1, 0, 0, 1], "diffuse": [0, 0, 0, 1], "ambient": [0, 0, 0, 1] },
               { "class": "COGLHLModel", "position": [3, 0, 0], "model": { "path": "$work/man.mdl" } } ] }
JSON
"$(dirname "$orrin")/tvntool" compose "$work/scene.json" -o "$work/scene.tvn" || die "cannot compose the scene"
rm "$work/manT.mdl"
start_xvfb 800x600x16

start_orrin "$work/prog/orrin" --view "$work/scene.tvn"
wait_box || die "no message box for the missing texture file"
close_box || die "the message box does not close with Return"
grep -q "unable to open .*manT.mdl" "$work/prog/errors.txt" ||
    fail "errors.txt does not name manT.mdl: $(cat "$work/prog/errors.txt" 2>/dev/null)"

find_window 'Test Window' >/dev/null || die "no viewer window after the report"
screen_until shown is_red 400 300 || fail "the rest of the scene is not shown: $(pixel "$work/shown.png" 400 300)"
xdotool key Escape
expect_exit 0
finish "companion end to end"
