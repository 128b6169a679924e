#!/usr/bin/env bash
# How much longer tvntool info takes than reading the same files: a scene of
# 300 objects over 200 textures (64 x 64 PCX files), timed with hyperfine
# against cat of the scene and all its pictures, in one run. An empty scene
# is timed too: starting OpenGL costs the same whatever the scene holds.
#   bench/tvntool_info_bench.sh [build folder]
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import json, struct, sys
work = sys.argv[1]
def pcx(seed):
    header = bytes([10, 5, 1, 8]) + struct.pack('<4h', 0, 0, 63, 63)
    header = header.ljust(65, b'\0') + bytes([1]) + struct.pack('<H', 64)
    body = bytearray()
    for y in range(64):
        for x in range(64):
            body += bytes([0xC1, (x * 3 + y * 5 + seed) % 250])
    return header.ljust(128, b'\0') + bytes(body) + b'\x0c' + bytes(range(256)) * 3
textures, objects = [], []
for i in range(200):
    name = f"tex{i:03}.pcx"
    open(f"{work}/{name}", "wb").write(pcx(i))
    textures.append({"path": name})
kinds = ["COGLBox", "COGLSphere", "COGLCylinder", "COGLCone", "COGLRod", "COGLFloor"]
for i in range(300):
    objects.append({"class": kinds[i % len(kinds)], "name": f"object {i}", "position": [i % 20, i // 20, 0],
                    "texture": f"tex{i % 200:03}.pcx"})
json.dump({"textures": textures, "objects": objects}, open(f"{work}/big.json", "w"))
PY
"$build/tvntool" compose "$work/big.json" -o "$work/big.tvn"
echo '{}' >"$work/empty.json"
"$build/tvntool" compose "$work/empty.json" -o "$work/empty.tvn"
cd "$work"
hyperfine --warmup 2 --runs 10 --export-json times.json \
    "$OLDPWD/$build/tvntool info big.tvn" \
    "$OLDPWD/$build/tvntool info empty.tvn" \
    "cat big.tvn tex*.pcx > /dev/null" >/dev/null
python3 - <<'PY'
import json
results = json.load(open("times.json"))["results"]
info, empty, cat = (r["mean"] for r in results)
print(f"tvntool info: {info * 1000:.1f} ms, of an empty scene: {empty * 1000:.1f} ms, "
      f"cat of the same files: {cat * 1000:.1f} ms")
print(f"ratio info / cat: {info / cat:.1f}; loading alone (info - empty) / cat: {(info - empty) / cat:.2f}")
PY
