#!/usr/bin/env bash
# End to end: Blender imports what tvntool export writes, one file of each kind,
# checked by blender_import_check.py; skipped (77) without Blender or test data.
#   blender_import_test.sh TVNTOOL TESTDATA [DEMO]
. "$(dirname "$0")/common.sh"
tool=$1
testdata=$2
demo=${3:-/nonexistent}
require_tools blender
script_seconds=280

# Kind, file under TESTDATA or absolute (skipped when absent), "bones" for an armature.
rows=(
    "md2    md2/didux-quake/models/objects/banner/tris.md2  none"
    "player player/didux-quake/players/male/tris.md2        none"
    "mdl    mdl/slipgate/progs/h_knight.mdl                 none"
    "sprite sprite/didux-quake/sprites/s_bfg2.sp2           none"
    "sprite sprite/valve-addon/sprites/640_pain.spr         none"
    "hlmdl  hlmdl/sven-lowdef/bmt/barney/barney.mdl         bones"
    "scene  $demo/demo.tvn                                  none"
)
checked=0
for row in "${rows[@]}"; do
    read -r kind file skeleton <<<"$row"
    model=$file
    [[ $file == /* ]] || model=$testdata/$file
    [ -f "$model" ] || { echo "skipped $kind: $file is absent"; continue; }
    output=$work/$checked.glb
    timeout 60 "$tool" export "$model" -o "$output" >"$work/export.out" 2>&1
    code=$?
    [ "$code" -le 1 ] && [ -s "$output" ] || die "$kind: export of $file ended $code: $(cat "$work/export.out")"
    timeout 120 blender -b --factory-startup --python-exit-code 1 --python "$here/blender_import_check.py" \
        -- "$output" "$skeleton" >"$work/blender.out" 2>&1 || {
        grep -v '^$' "$work/blender.out" | tail -n 15
        die "$kind: Blender did not import $file as it should"
    }
    echo "$kind $file: $(grep '^ok: ' "$work/blender.out")"
    checked=$((checked + 1))
done
[ "$checked" -gt 0 ] || { echo "skipped: none of the table's files is in $testdata"; exit 77; }
finish "$checked files imported"
