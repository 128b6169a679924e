#!/usr/bin/env bash
# tvntool model against the Open Asset Import Library's `assimp info` on the
# same real model files (every MD2, MDL and Half-Life model of the test data
# that assimp reads), timed with hyperfine in one run; the tool from
# Debian's assimp-utils, a benchmark-only yardstick.
#   bench/model_info_bench.sh [build folder] [test data folder]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
data=$(cd "${2:-$(dirname "$0")/../../shared/testdata}" && pwd)
command -v assimp >/dev/null || { echo "no assimp here (Debian's assimp-utils)"; exit 1; }
command -v hyperfine >/dev/null || { echo "no hyperfine here"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

files=()
while IFS= read -r file; do
    if assimp info "$file" >/dev/null 2>&1 && "$build/tvntool" model "$file" >/dev/null 2>&1; then
        files+=("$file")
    fi
done < <(find "$data/md2" "$data/mdl" "$data/hlmdl" "$data/player" -type f \( -iname '*.md2' -o -iname '*.mdl' \) | sort)
[ ${#files[@]} -gt 0 ] || { echo "no model both read"; exit 1; }
printf '%s\n' "${files[@]}" >"$work/files"
ours="while read -r f; do $build/tvntool model \"\$f\" >/dev/null; done <$work/files"
theirs="while read -r f; do assimp info \"\$f\" >/dev/null 2>&1; done <$work/files"
hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" "$ours" "$theirs" >/dev/null
python3 - "$work/times.json" "${#files[@]}" <<'PY'
import json, sys
ours, theirs = (r["mean"] for r in json.load(open(sys.argv[1]))["results"])
count = int(sys.argv[2])
print(f"{count} files: tvntool model {ours * 1000 / count:.2f} ms a file, assimp info {theirs * 1000 / count:.2f} ms a file")
print(f"ratio tvntool model / assimp info: {ours / theirs:.2f}")
PY
