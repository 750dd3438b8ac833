#!/usr/bin/env bash
# Refreshes the kept corpus of one fuzz target, fuzz/corpus/TARGET, which the
# tests replay in every build (TARGET_replay):
#   bash tools/fuzz-corpus.sh TARGET [SECONDS]
# Fuzzes for SECONDS (default 60) with tools/fuzz.sh, then keeps a small set
# of inputs of the kept corpus and the grown one that together reach every
# code edge they reach beyond what fuzz/seeds/TARGET already reaches (edges
# only, not how often each runs: that keeps tens of inputs rather than
# hundreds). Review the change (a few hundred KB in all at most) before
# committing it.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: tools/fuzz-corpus.sh TARGET [SECONDS]}
seconds=${2:-60}
bash tools/fuzz.sh "$target" "$seconds"
kept="fuzz/corpus/$target"
merged=$(mktemp -d)
trap 'rm -rf "$merged"' EXIT
mkdir -p "$kept"
# The seeds go into the merge first, so that what they reach counts as
# covered; they are taken out again afterwards and stay where they are.
seeds=()
if [ -d "fuzz/seeds/$target" ]; then
    cp fuzz/seeds/"$target"/* "$merged"/
    seeds=(fuzz/seeds/"$target"/*)
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
"build-fuzz/fuzz/$target" -merge=1 -use_counters=0 "$merged" "$kept" "fuzz-corpus/$target"
for seed in "${seeds[@]}"; do
    rm -f "$merged/$(basename "$seed")"
done
rm -f "$kept"/*
find "$merged" -maxdepth 1 -type f -exec cp {} "$kept"/ \;
echo "$kept: $(ls "$kept" | wc -l) inputs, $(cat "$kept"/* /dev/null | wc -c) bytes"
