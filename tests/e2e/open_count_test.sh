#!/usr/bin/env bash
# Every file a scene names is opened once per load, however many objects name it:
# three copies of a model of every kind with its companion files, and one in an
# archive, inspected by tvntool under strace.
#   open_count_test.sh TVNTOOL TESTDATA
. "$(dirname "$0")/common.sh"
tool=$1
data=$2
require_tools strace perl
[ -f "$data/hlmdl/sven-lowdef/bmt/barney/barney.mdl" ] || { echo "skipped: no test data"; exit 77; }
data=$(cd "$data" && pwd)

# The smallest SiN model, and an archive holding a copy of the MD2.
mkdir -p "$work/sin"
printf 'SDEF\r\nmesh.sbm\r\nidle.sam\r\nbase.tga\r\n' >"$work/sin/x.def"
{ printf 'SBM \001\000\000\000'; head -c 24 /dev/zero; } >"$work/sin/mesh.sbm"
head -c 128 /dev/zero >"$work/sin/idle.sam"
printf '\000\000\002\000\000\000\000\000\000\000\000\000\001\000\001\000\030\000\200\200\200' >"$work/sin/base.tga"
md2=$data/md2/didux-quake/models/items/quaddama
perl -e 'local $/; my $md2 = <STDIN>; my $size = length $md2;
          print pack("a4 V2", "PACK", 12 + $size, 64), $md2, pack("a56 V2", "models/items/quaddama/tris.md2", 12, $size)' \
    <"$md2/tris.md2" >"$work/items.pak"

cat >"$work/objects" <<JSON
    { "class": "COGLMD2", "model": { "path": "$md2/tris.md2" } },
    { "class": "COGLMD2", "model": { "path": "models/items/quaddama/tris.md2", "pak": 0 } },
    { "class": "COGLPlayer", "model": { "path": "$data/player/didux-quake/players/male/tris.md2", "weaponIndex": 0 } },
    { "class": "COGLMDL", "model": { "path": "$data/mdl/slipgate/progs/h_knight.mdl" } },
    { "class": "COGLSBM", "model": { "path": "$work/sin/x.def" } },
    { "class": "COGLHLModel", "model": { "path": "$data/hlmdl/sven-lowdef/bmt/barney/barney.mdl" } },
    { "class": "COGLSprite", "model": { "path": "$data/sprite/didux-quake/sprites/s_bfg2.sp2" } },
JSON
printf '{ "paks": ["%s"], "objects": [ %s { "class": "COGLBox" } ] }' "$work/items.pak" \
    "$(cat "$work/objects" "$work/objects" "$work/objects")" >"$work/scene.json"
"$tool" compose "$work/scene.json" -o "$work/scene.tvn" || die "the scene does not compose"

strace -f -e trace=open,openat -e status=successful -o "$work/trace" "$tool" info "$work/scene.tvn" >/dev/null 2>"$work/err"
status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 1 ] || die "info exits $status: $(cat "$work/err")"

# Each file of the test data or of the scene's folder opened, with its count.
grep -o '"[^"]*"' "$work/trace" | tr -d '"' | grep -E "^($data|$work)/" | sort | uniq -c | sort -rn >"$work/opens"
awk '$1 > 1 { print $2 " opened " $1 " times"; more = 1 } END { exit more }' "$work/opens" || fail "files opened again"
for expected in scene.tvn items.pak quaddama/skin.pcx barney.mdl barneyT.mdl barney03.mdl h_knight.mdl \
                s_bfg2.sp2 s_bfg2_3.pcx sin/x.def sin/mesh.sbm sin/idle.sam sin/base.tga male/tris.md2 male/weapon.md2; do
    grep -q "/$expected\$" "$work/opens" || fail "$expected was never opened"
done
[ "$failures" -eq 0 ] || { cat "$work/opens"; exit 1; }
echo "every file opened once ($(wc -l <"$work/opens") files)"
