#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs one:
#   bash tools/fuzz.sh TARGET [SECONDS] [extra libFuzzer options]
# The corpus grows in fuzz-corpus/TARGET (not kept in git); it starts from
# fuzz/seeds/TARGET and the kept corpus fuzz/corpus/TARGET where they exist.
# Crashes land in fuzz-crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: tools/fuzz.sh TARGET [SECONDS]}
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))
CC=clang CXX=clang++ bash tools/build.sh build-fuzz -DKORVO_FUZZ=ON -DKORVO_BUILD_TESTS=OFF
mkdir -p "fuzz-corpus/$target" fuzz-crashes
seeds=()
for dir in "fuzz/seeds/$target" "fuzz/corpus/$target"; do
    if [ -d "$dir" ]; then seeds+=("$dir"); fi
done
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"build-fuzz/fuzz/$target" -max_total_time="$seconds" -artifact_prefix=fuzz-crashes/ \
    "$@" "fuzz-corpus/$target" "${seeds[@]}"
