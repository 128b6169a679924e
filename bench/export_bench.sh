#!/usr/bin/env bash
# tvntool export against tvntool model (which reads the same file and
# describes it) on every real model and sprite of the test data that export
# writes, kind by kind, timed with hyperfine in one run: what writing glTF
# adds to reading the file.
#   bench/export_bench.sh [build folder] [test data folder]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
data=$(cd "${2:-$(dirname "$0")/../../shared/testdata}" && pwd)
command -v hyperfine >/dev/null || { echo "no hyperfine here"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tool=$build/tvntool

# kind and the files of it: a player is its folder's tris.md2.
list() {
    case $1 in
    md2) find "$data/md2" -type f -iname '*.md2' ;;
    player) find "$data/player" -type f -name tris.md2 ;;
    mdl) find "$data/mdl" -type f -iname '*.mdl' ;;
    sprite) find "$data/sprite" -type f \( -iname '*.sp2' -o -iname '*.spr' \) ;;
    hlmdl) find "$data/hlmdl" -type f -iname '*.mdl' ;;
    esac 2>/dev/null | sort
}

commands=()
kinds=()
counts=()
for kind in md2 player mdl sprite hlmdl; do
    : >"$work/$kind"
    while IFS= read -r file; do
        # Read and written, if without some file it names (exit 1).
        "$tool" model "$file" >/dev/null 2>&1 || [ $? = 1 ] || continue
        "$tool" export "$file" -o "$work/x.glb" >/dev/null 2>&1 || [ $? = 1 ] || continue
        echo "$file" >>"$work/$kind"
    done < <(list "$kind")
    count=$(wc -l <"$work/$kind")
    [ "$count" -gt 0 ] || continue
    kinds+=("$kind")
    counts+=("$count")
    commands+=("while read -r f; do $tool model \"\$f\" >/dev/null 2>&1; done <$work/$kind")
    commands+=("while read -r f; do $tool export \"\$f\" -o $work/x.glb >/dev/null 2>&1; done <$work/$kind")
done
[ ${#kinds[@]} -gt 0 ] || { echo "no file export writes in $data"; exit 1; }
hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" "${commands[@]}" >/dev/null
python3 - "$work/times.json" "${kinds[*]}" "${counts[*]}" <<'PY'
import json, sys
means = [r["mean"] for r in json.load(open(sys.argv[1]))["results"]]
kinds, counts = sys.argv[2].split(), [int(c) for c in sys.argv[3].split()]
print(f"{'kind':8} {'files':>5} {'model ms/file':>14} {'export ms/file':>15} {'ratio':>6}")
for i, (kind, count) in enumerate(zip(kinds, counts)):
    model, export = means[2 * i], means[2 * i + 1]
    print(f"{kind:8} {count:5} {model * 1000 / count:14.2f} {export * 1000 / count:15.2f} {export / model:6.2f}")
model, export, count = sum(means[0::2]), sum(means[1::2]), sum(counts)
print(f"{'total':8} {count:5} {model * 1000 / count:14.2f} {export * 1000 / count:15.2f} {export / model:6.2f}")
PY
