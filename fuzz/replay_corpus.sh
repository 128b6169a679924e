#!/usr/bin/env bash
# Replays a harness's seed corpus with a temporary folder of its own, and
# fails when the harness leaves anything behind there.
#   replay_corpus.sh HARNESS CORPUS
set -u
harness=$1
corpus=$2
TMPDIR=$(mktemp -d) || exit 1
export TMPDIR
"$harness" -runs=0 "$corpus"
status=$?
left=$(ls -A "$TMPDIR")
rm -rf "$TMPDIR"
if [ -n "$left" ]; then
    echo "replay_corpus: $(basename "$harness") left in the temporary folder: $left"
    exit 1
fi
exit "$status"
