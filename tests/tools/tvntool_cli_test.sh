#!/usr/bin/env bash
# tvntool end to end: exit codes and one-line messages for bad input, and a
# render of the demo scene that shows a textured floor with shadows on it.
#   tvntool_cli_test.sh TVNTOOL [DEMO_DIR]
# Without DEMO_DIR the demo is not checked; exits 77 when checks had to be
# skipped (no test data, no demo scene or no ImageMagick) and none failed.
set -u
tool=$1
demo=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
skipped=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# expect CODE DESCRIPTION -- COMMAND...: the exit code, and at most one line
# on standard error.
expect() {
    local code=$1 what=$2
    shift 3
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$code" ] || fail "$what: exit $got, expected $code ($(head -c 300 "$work/err"))"
    local lines
    lines=$(grep -c '' "$work/err")
    [ "$code" -eq 0 ] || [ "$lines" -ge 1 ] || fail "$what: no message on standard error"
    [ "$lines" -le 3 ] || fail "$what: $lines lines on standard error"
}

# composed NAME JSON: NAME.tvn composed from the description JSON.
composed() {
    printf '%s\n' "$2" >"$work/$1.json"
    expect 0 "compose of $1" -- "$tool" compose "$work/$1.json" -o "$work/$1.tvn"
}

# skip WHAT: checks left out for want of what they need.
skip() {
    echo "$* checks skipped"
    skipped=1
}

# shows WHAT PATTERN...: each pattern matches a line of the last standard output.
shows() {
    local what=$1
    shift
    for pattern in "$@"; do
        grep -q -- "$pattern" "$work/out" || fail "$what does not show $pattern"
    done
}

printf 'TAV2\006\000\000\000' >"$work/cut.tvn"
printf 'PK\003\004 not a scene at all' >"$work/zip.tvn"
echo '{ "objects": [ { "class": "COGLTeapot" } ] }' >"$work/teapot.json"
echo 'objects: none' >"$work/notjson.json"

expect 64 "no command" -- "$tool"
expect 2 "info of a missing file" -- "$tool" info "$work/none.tvn"
[ ! -s "$work/out" ] && [ "$(grep -c '' "$work/err")" -eq 1 ] ||
    fail "info of a missing file says more than its one error line"
grep -q "none.tvn" "$work/err" || fail "the missing scene is not named: $(cat "$work/err")"
! grep -q $'\r' "$work/err" || fail "lines on standard error end in CR LF"
expect 2 "info --json of a cut scene" -- "$tool" info --json "$work/cut.tvn"
[ ! -s "$work/out" ] || fail "info --json of a cut scene describes it"
expect 2 "info of a folder" -- "$tool" info "$work"
expect 2 "info of a non-scene" -- "$tool" info "$work/zip.tvn"
expect 64 "info without a scene" -- "$tool" info
expect 64 "an unknown command" -- "$tool" paint "$work/cut.tvn"
expect 64 "render without output" -- "$tool" render "$work/cut.tvn"
expect 64 "compose with -o last" -- "$tool" compose "$work/none.json" -o
expect 64 "render at a silly size" -- "$tool" render "$work/cut.tvn" -o "$work/x.png" --size 0x10
expect 2 "compose of an unknown class" -- "$tool" compose "$work/teapot.json" -o "$work/t.tvn"
expect 2 "compose of something not JSON" -- "$tool" compose "$work/notjson.json" -o "$work/t.tvn"
expect 2 "compose of a missing file" -- "$tool" compose "$work/none.json" -o "$work/t.tvn"
[ ! -e "$work/t.tvn" ] || fail "a refused compose left a file"

composed box '{ "objects": [ { "class": "COGLBox", "name": "Crate" } ] }'
expect 0 "info of the box" -- "$tool" info --json "$work/box.tvn"
shows "info --json of the box" '"name": "Crate"'
expect 0 "check of the box" -- "$tool" check "$work/box.tvn"
# Inspecting needs no OpenGL: info, check and model run where EGL cannot start.
noegl="env __EGL_VENDOR_LIBRARY_FILENAMES=$work/none.json"
expect 0 "info where EGL cannot start" -- $noegl "$tool" info --json "$work/box.tvn"
expect 0 "check where EGL cannot start" -- $noegl "$tool" check "$work/box.tvn"
expect 2 "render where EGL cannot start" -- $noegl "$tool" render "$work/box.tvn" -o "$work/noegl.png"
expect 2 "render of a non-scene" -- "$tool" render "$work/zip.tvn" -o "$work/zip.png"
[ ! -e "$work/zip.png" ] || fail "a failed render wrote a picture"
# Scenes the viewer shows although something in them is missing or invalid:
# an archive that is not one, an entry an archive lacks, a missing file, a
# picture that does not decode (found only when drawn).
printf 'not an archive' >"$work/bad.pak"
printf 'PACK\014\000\000\000\000\000\000\000' >"$work/empty.pak"
printf 'not a picture' >"$work/broken.pcx"
composed badpak '{ "paks": ["bad.pak"], "objects": [ { "class": "COGLBox" } ] }'
composed noentry '{ "paks": ["empty.pak"], "textures": [ { "path": "gone.pcx", "pak": 0 } ] }'
composed nofile '{ "textures": [ { "path": "gone.pcx" } ] }'
composed broken '{ "textures": [ { "path": "broken.pcx" } ],
                   "objects": [ { "class": "COGLBox", "texture": "broken.pcx" } ] }'
for scene in badpak noentry nofile broken; do
    expect 1 "render of $scene" -- "$tool" render "$work/$scene.tvn" -o "$work/$scene.png"
    [ "$scene" != badpak ] || grep -q "bad.pak: Not a valid Quake2 Pak file.$" "$work/err" ||
        fail "the invalid archive is not told apart from its message: $(cat "$work/err")"
    [ "$scene" = broken ] && continue
    expect 1 "info of $scene" -- "$tool" info "$work/$scene.tvn"
    expect 1 "check of $scene" -- "$tool" check "$work/$scene.tvn"
done
expect 64 "thumbnail at a silly size" -- "$tool" thumbnail "$work/box.tvn" "$work/thumb.png" 5000
expect 2 "thumbnail of a non-scene" -- "$tool" thumbnail "$work/zip.tvn" "$work/thumb.png" 128
[ ! -e "$work/thumb.png" ] || fail "a refused thumbnail left a file"
# Pictures go exactly to the name given: not onto a name that differs in
# case, not through a link named like a temporary file.
echo keep >"$work/shot.png"
echo keep >"$work/victim"
ln -s "$work/victim" "$work/thumb.png.part"
expect 0 "render to a name that differs in case from a file's" -- \
    "$tool" render "$work/box.tvn" -o "$work/SHOT.png" --size 32x24
expect 0 "thumbnail beside a link named like its old temporary" -- "$tool" thumbnail "$work/box.tvn" "$work/thumb.png" 32
[ -s "$work/SHOT.png" ] && [ -s "$work/thumb.png" ] && [ "$(cat "$work/shot.png" "$work/victim")" = "keep
keep" ] || fail "a picture was not written exactly where asked"
for help in info render compose check thumbnail; do
    "$tool" "$help" --help >/dev/null || fail "$help --help"
done

md2=$(dirname "$0")/../../../shared/testdata/md2/assimp
if [ -f "$md2/faerie.md2" ]; then
    expect 0 "model of a real MD2" -- $noegl "$tool" model --json "$md2/faerie.md2"
    shows faerie.md2 '"frameCount": 198' '"triangles": 654'
    expect 2 "model of an MD2 without vertices" -- "$tool" model "$md2/malformed_zero_numvertices.md2"
else
    skip "model: no test data here"
fi
expect 2 "model of something else" -- "$tool" model "$work/box.json"

sprites=$(dirname "$0")/../../../shared/testdata/sprite
if [ -f "$sprites/didux-quake/sprites/s_bfg2.sp2" ]; then
    expect 0 "model of a real Quake II sprite" -- "$tool" model --json "$sprites/didux-quake/sprites/s_bfg2.sp2"
    shows s_bfg2.sp2 '"kind": "sp2"' '"frameCount": 4'
    expect 0 "model of a real indexed sprite" -- "$tool" model --json "$sprites/valve-addon/sprites/640_pain.spr"
    shows 640_pain.spr '"renderMode": 1'
    expect 2 "model of a Quake sprite" -- "$tool" model "$sprites/vgio/test.spr"
else
    skip "sprite model: no test data here"
fi

# A real Quake II player from its folder, with and without its weapon: the
# weapon is all that differs, and it is in the player's hand.
player=$(dirname "$0")/../../../shared/testdata/player/didux-quake/players/male
if [ -f "$player/tris.md2" ] && [ -x /usr/bin/convert ]; then
    player=$(cd "$player" && pwd)
    for weapon in 0 -1; do
        composed "player$weapon" '{ "camera": { "distance": 6 }, "objects": [ { "class": "COGLPlayer",
            "emission": [0.8, 0.8, 0.8, 1], "position": [0, -1.3, 0], "texture": "'"$player"'/elkan.pcx",
            "model": { "path": "'"$player"'/tris.md2", "weaponIndex": '"$weapon"', "currentAnimation": "stand" } } ] }'
        expect 0 "render of a player with weapon $weapon" -- \
            "$tool" render "$work/player$weapon.tvn" -o "$work/player$weapon.png" --size 320x240
    done
    expect 0 "check of a player" -- "$tool" check "$work/player0.tvn"
    shows "check of a player" '^weapon   default -> .*weapon.md2'
    body=$(/usr/bin/convert "$work/player-1.png" -format "%[fx:int(255*p{160,100}.intensity)]" info:)
    [ "$body" -gt 30 ] || fail "the player is not drawn in the middle ($body)"
    where=$(/usr/bin/convert "$work/player0.png" "$work/player-1.png" -compose difference -composite \
        -colorspace gray -threshold 3% -format "%@" info:)
    echo "$where" | awk -F'[x+]' '{ exit !($1 * $2 >= 50 && $3 >= 110 && $3 + $1 <= 200 && $4 >= 40 && $4 + $2 <= 160) }' ||
        fail "the weapon is not in the player's hand: $where"
else
    skip "player: no test data or no ImageMagick here"
fi

# The smallest SiN model: a mesh of no groups and an animation of no frames.
mkdir -p "$work/sin"
printf 'SDEF\r\nmesh.sbm\r\nidle.sam\r\nbase.tga\r\n' >"$work/sin/x.def"
{ printf 'SBM \001\000\000\000'; head -c 24 /dev/zero; } >"$work/sin/mesh.sbm"
head -c 128 /dev/zero >"$work/sin/idle.sam"
printf '\000\000\002\000\000\000\000\000\000\000\000\000\001\000\001\000\030\000\200\200\200' >"$work/sin/base.tga"
expect 0 "model of a SiN definition" -- "$tool" model --json "$work/sin/x.def"
shows "the SiN model" '"kind": "SiN"' '"groups": 0' '"mesh": ".*/sin/mesh.sbm"' '"name": "idle"' '"skinNames": \[$'
composed sin '{ "objects": [ { "class": "COGLSBM", "model": { "path": "'"$work"'/sin/x.def" } } ] }'
expect 0 "check of the SiN scene" -- "$tool" check "$work/sin.tvn"
shows "check of the SiN scene" '^mesh .*sin/mesh.sbm$' '^anim .*sin/idle.sam$' '^skin .*sin/base.tga -> .*sin/base.tga$'
# Each skin missing or not a picture is named on its own line.
printf 'SDEF\r\nmesh.sbm\r\nidle.sam\r\ngone.tga\r\nbad.tga\r\n' >"$work/sin/y.def"
printf 'not a picture' >"$work/sin/bad.tga"
expect 1 "model with a missing and an invalid skin" -- "$tool" model "$work/sin/y.def"
grep -q '^tvntool: .*sin/gone.tga' "$work/err" && grep -q '^tvntool: .*sin/bad.tga' "$work/err" ||
    fail "the model's failed skins are not named: $(cat "$work/err")"
head -c 20 "$work/sin/mesh.sbm" >"$work/sin/cut.sbm" && mv "$work/sin/cut.sbm" "$work/sin/mesh.sbm"
expect 2 "model of a SiN model with a cut mesh" -- "$tool" model "$work/sin/x.def"

testdata=$(dirname "$0")/../../../shared/testdata
if [ -f "$testdata/mdl/slipgate/progs/h_knight.mdl" ]; then
    # Extensions in capitals are names like any other.
    cp "$testdata/mdl/slipgate/progs/h_knight.mdl" "$work/H_KNIGHT.MDL"
    expect 0 "model of a real MDL" -- "$tool" model --json "$work/H_KNIGHT.MDL"
    shows h_knight.mdl '"kind": "MDL"' '"triangles": 256' '"skinCountInFile": 4' '"skinWidth": 92' '"skinHeight": 57'
    expect 2 "model of a cut MDL" -- "$tool" model "$testdata/mdl/trenchbroom/invalid.mdl"
    composed knight '{ "objects": [ { "class": "COGLMDL", "model": { "path": "H_KNIGHT.MDL" } } ] }'
    expect 0 "check of the MDL scene" -- "$tool" check "$work/knight.tvn"
    shows "check of the MDL scene" '^found .*H_KNIGHT.MDL'
    expect 0 "info of the MDL scene" -- "$tool" info --json "$work/knight.tvn"
    shows "info of the MDL scene" '"class": "COGLMDL"' '"skinCountInFile": 4'
else
    skip "MDL: no test data here"
fi
if [ -f "$testdata/hlmdl/assimp/man/man.mdl" ]; then
    expect 0 "model of a Half-Life model" -- "$tool" model --json "$testdata/hlmdl/sven-lowdef/grenade.mdl"
    shows grenade.mdl '"kind": "HL"' '"bones": 2' '"sequenceGroups": 1'
    cp "$testdata/hlmdl/assimp/man/man.mdl" "$testdata/hlmdl/assimp/man/manT.mdl" \
        "$testdata/hlmdl/assimp/man/man01.mdl" "$work/"
    composed man '{ "objects": [ { "class": "COGLHLModel", "model": { "path": "man.mdl", "currentAnimation": "walk" } },
                                 { "class": "COGLBox" } ] }'
    expect 0 "check of the Half-Life scene" -- "$tool" check "$work/man.tvn"
    shows "check of the Half-Life scene" '^needs .*man01.mdl'
    # Drawn end to end: the walking man shows against an empty scene and
    # moves with the redraw timer.
    composed walk '{ "objects": [ { "class": "COGLHLModel", "position": [0, -1.5, 0], "scale": [0.3, 0.3, 0.3],
                                  "animating": true, "model": { "path": "man.mdl", "currentAnimation": "walk" } } ] }'
    composed empty '{ "objects": [] }'
    expect 0 "render of a Half-Life model" -- "$tool" render "$work/walk.tvn" -o "$work/walk.png" --size 320x240
    expect 0 "render of an empty scene" -- "$tool" render "$work/empty.tvn" -o "$work/empty.png" --size 320x240
    expect 0 "render of a Half-Life model after 40 ticks" -- \
        "$tool" render "$work/walk.tvn" -o "$work/later.png" --size 320x240 --ticks 40
    if [ -x /usr/bin/compare ]; then
        shown=$(/usr/bin/compare -metric AE -fuzz 3% "$work/empty.png" "$work/walk.png" null: 2>&1)
        [ "$shown" -gt 300 ] || fail "the Half-Life model is not drawn ($shown pixels differ from an empty scene)"
        moved=$(/usr/bin/compare -metric AE -fuzz 3% "$work/walk.png" "$work/later.png" null: 2>&1)
        [ "$moved" -gt 50 ] || fail "the Half-Life model does not walk ($moved pixels changed)"
    else
        skip "Half-Life picture: no ImageMagick here"
    fi
    rm "$work/manT.mdl"
    expect 1 "check without the texture file" -- "$tool" check "$work/man.tvn"
    grep -q 'unable to open .*manT.mdl' "$work/out" "$work/err" || fail "the missing texture file is not listed"
    expect 1 "info without the texture file" -- "$tool" info --json "$work/man.tvn"
else
    skip "Half-Life: no test data here"
fi

# A model file rendered on its own, in the scene made for it: the model in
# the middle of the picture, brighter or darker than the floor and sky
# around it, and its animation moving it.
printf "not a model" >"$work/none.md2"
expect 2 "render of a file named as a model that is none" -- "$tool" render "$work/none.md2" -o "$work/x.png"
expect 2 "render of an entry an archive lacks" -- "$tool" render "$work/empty.pak:models/x.md2" -o "$work/x.png"
expect 2 "render of an entry of a missing archive" -- "$tool" render "$work/gone.pak:models/x.md2" -o "$work/x.png"
expect 2 "render of an entry of a non-archive" -- "$tool" render "$work/bad.pak:models/x.md2" -o "$work/x.png"
expect 64 "--skin of a scene" -- "$tool" render "$work/box.tvn" --skin 1 -o "$work/x.png"
expect 64 "--frames 0" -- "$tool" render "$work/box.tvn" --frames 0 -o "$work/x.png"
# A scene with nothing animating gives equal pictures.
expect 0 "8 frames of a box" -- "$tool" render "$work/box.tvn" --frames 8 -o "$work/box.png" --size 64x48
[ "$(cat "$work"/box00[0-7].png | md5sum)" = "$(for i in 0 1 2 3 4 5 6 7; do cat "$work/box000.png"; done | md5sum)" ] ||
    fail "the 8 frames of a still box differ"
[ ! -e "$work/box008.png" ] || fail "more than 8 frames were written"
if [ -f "$testdata/md2/assimp/faerie.md2" ] && [ -x /usr/bin/convert ]; then
    cp "$testdata/md2/assimp/faerie.md2" "$work/x.md2"
    expect 2 "render of an unknown animation" -- "$tool" render "$work/x.md2" --animation dance -o "$work/x.png"
    expect 2 "render of a skin past the list" -- "$tool" render "$work/x.md2" --skin 9 -o "$work/x.png"
    printf '\000\000\000\000' | dd of="$work/x.md2" bs=1 seek=4 conv=notrunc 2>/dev/null
    expect 2 "render of a broken MD2" -- "$tool" render "$work/x.md2" -o "$work/x.png"
    models="md2/assimp/faerie.md2 player/didux-quake/players/male/tris.md2 mdl/slipgate/progs/flame.mdl
            sprite/didux-quake/sprites/s_bfg2.sp2"
    for model in $models; do
        name=$(echo "$model" | tr '/.' '__')
        expect 0 "render of $model" -- "$tool" render "$testdata/$model" -o "$work/$name.png" --size 160x120 \
            --frames 2 --every 8
        # What moves between the two is the model, in the middle.
        where=$(/usr/bin/convert "$work/${name}000.png" "$work/${name}001.png" -compose difference -composite \
            -colorspace gray -threshold 3% -format "%@" info:)
        echo "$where" | awk -F'[x+]' '{ cx = $3 + $1 / 2; cy = $4 + $2 / 2;
            exit !($1 * $2 >= 40 && cx > 40 && cx < 120 && cy > 25 && cy < 95) }' ||
            fail "$model does not move in the middle of its picture: $where"
    done
    expect 0 "render of a model in an archive" -- "$tool" render "$testdata/pak/vgio/test.pak:./test_data/test.mdl" \
        -o "$work/inpak.png" --size 160x120
    expect 0 "render of a player's run" -- "$tool" render "$testdata/player/didux-quake/players/male/tris.md2" \
        --animation run --skin 0 --ticks 3 -o "$work/run.png" --size 160x120
else
    skip "model render: no test data or no ImageMagick here"
fi

if [ -n "$demo" ] && { [ ! -f "$demo/demo.tvn" ] || [ ! -x /usr/bin/convert ]; }; then
    skip "demo: no demo scene or no ImageMagick here"
    demo=""
fi
if [ -n "$demo" ]; then
    expect 0 "render of the demo" -- "$tool" render "$demo/demo.tvn" -o "$work/demo.png"
    expect 0 "check of the demo" -- "$tool" check "$demo/demo.tvn"
    shows "check of the demo" '^frame .*sprites/glow_3.tga -> .*demo.pak'
    expect 0 "render of the demo as BMP" -- "$tool" render "$demo/demo.tvn" -o "$work/demo.bmp" --size 101x60
    [ "$(stat -c %s "$work/demo.bmp")" -eq $((54 + 304 * 60)) ] || fail "a 101 x 60 BMP is not 54 + 304 x 60 bytes"
    expect 0 "render of the demo as JPEG" -- "$tool" render "$demo/demo.tvn" -o "$work/demo.jpg"
    [ "$(/usr/bin/convert "$work/demo.jpg" -format %w info:)" = 640 ] || fail "the JPEG is not 640 wide"
    # Red minus blue at a point: the terracotta floor is warm, the
    # background and the walls are not.
    warmth() {
        /usr/bin/convert "$work/demo.png" -format "%[fx:int(255*(p{$1,$2}.r-p{$1,$2}.b))]" info:
    }
    lightness() {
        /usr/bin/convert "$work/demo.png" -format "%[fx:int(255*p{$1,$2}.intensity)]" info:
    }
    [ "$(warmth 320 400)" -gt 40 ] || fail "the demo's floor is not textured warm at (320, 400)"
    [ "$(warmth 320 20)" -lt 10 ] || fail "the demo's background is not cool at (320, 20)"
    # The gold lettering at the back, where the background shows without it.
    gold=$(/usr/bin/convert "$work/demo.png" -crop 130x25+175+195 -format "%[fx:int(255*(mean.g-mean.b))]" info:)
    [ "$gold" -gt 10 ] || fail "the demo's 3-D text is not drawn above the crate ($gold)"
    lit=$(lightness 150 395)
    shaded=$(lightness 420 330)
    [ "$shaded" -lt "$lit" ] || fail "no shadow darkens the floor beside the ball ($shaded against $lit)"
    # The crystal, an MD2 in the demo's archive, turns with the redraw timer
    # and nothing else moves: what changes lies in its corner of the picture.
    expect 0 "render of the demo after 36 ticks" -- "$tool" render "$demo/demo.tvn" -o "$work/later.png" --ticks 36
    changed=$(/usr/bin/compare -metric AE -fuzz 3% "$work/demo.png" "$work/later.png" null: 2>&1)
    # Eight frames of the turning crystal, one load: no two alike.
    expect 0 "8 frames of the demo" -- "$tool" render "$demo/demo.tvn" -o "$work/turn.png" --frames 8 --every 4
    [ "$(md5sum "$work"/turn00[0-7].png | cut -d' ' -f1 | sort -u | wc -l)" -eq 8 ] ||
        fail "the 8 frames of the demo are not 8 different pictures"
    cmp -s "$work/demo.png" "$work/turn000.png" || fail "the first of the 8 frames is not the scene as loaded"
    [ "$changed" -gt 500 ] || fail "the demo's crystal does not animate ($changed pixels changed)"
    where=$(/usr/bin/convert "$work/demo.png" "$work/later.png" -compose difference -composite \
        -colorspace gray -threshold 3% -format "%@" info:)
    echo "$where" | awk -F'[x+]' '{ exit !($3 >= 380 && $3 + $1 <= 620 && $4 >= 240 && $4 + $2 <= 430) }' ||
        fail "more than the crystal moved: $where"
fi

! ls -A "$work" "$work/sin" | grep -q '^\.orrin-' || fail "a temporary file was left behind"

if [ "$failures" -ne 0 ]; then
    echo "$failures tvntool checks failed"
    exit 1
fi
if [ "$skipped" -ne 0 ]; then
    exit 77
fi
echo "tvntool checks passed"
