#!/usr/bin/env bash
# How long a file manager waits for the thumbnail of each model and sprite
# file of the test data: tvntool thumbnail at 256 pixels, on one core
# (taskset), timed with hyperfine in one run, against the thumbnail of an
# empty scene (starting OpenGL, the same for every file) and the one-second
# budget a thumbnailer has.
#   bench/thumbnail_bench.sh [build folder] [test data folder]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
testdata=$(cd "${2:-$(dirname "$0")/../../shared/testdata}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo '{}' >"$work/empty.json"
"$build/tvntool" compose "$work/empty.json" -o "$work/empty.tvn"
files=("$work/empty.tvn")
while IFS= read -r file; do
    files+=("$file")
done < <(cd "$testdata" && find md2 mdl hlmdl sprite player -type f \
    \( -iname '*.md2' -o -iname '*.mdl' -o -iname '*.sp2' -o -iname '*.spr' -o -iname '*.def' \) |
    grep -v -E '/(w_|a_|weapon)[^/]*\.md2$|T\.mdl$|[0-9][0-9]\.mdl$' | sort | sed "s|^|$testdata/|")
commands=()
for file in "${files[@]}"; do
    commands+=("taskset -c 0 $build/tvntool thumbnail '$file' $work/out.png 256")
done
hyperfine -N --ignore-failure --warmup 1 --runs 5 --export-json "$work/times.json" "${commands[@]}" >/dev/null
python3 - "$work/times.json" "$testdata" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
empty = results[0]["mean"]
print(f"{'file':60} {'mean ms':>8} {'max ms':>8} {'/ empty':>8} {'/ 1 s':>6}")
worst = 0.0
for r in results[1:]:
    name = r["command"].split("'")[1].replace(sys.argv[2] + "/", "")
    worst = max(worst, r["max"])
    print(f"{name:60} {r['mean'] * 1000:8.1f} {r['max'] * 1000:8.1f} {r['mean'] / empty:8.2f} {r['mean']:6.2f}")
print(f"empty scene: {empty * 1000:.1f} ms; {len(results) - 1} files; slowest run {worst * 1000:.0f} ms "
      f"= {worst:.2f} of the one-second budget")
PY
