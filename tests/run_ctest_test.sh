#!/usr/bin/env bash
# Checks tools/run-ctest.sh on small CTest projects of its own: a test that
# fails once and then passes alone counts as passed and is named, one that
# fails again counts as failed with its output shown, and a folder CTest
# cannot run counts as a failure rather than as nothing to do.
set -euo pipefail
runner=$(cd "$(dirname "$0")/.." && pwd)/tools/run-ctest.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail=0

# project NAME TEST=COMMAND... configures a CTest project of those tests
# (each a bash command, run in the project's folder).
project() {
    local name=$1
    shift
    mkdir -p "$scratch/$name"
    {
        echo "cmake_minimum_required(VERSION 3.25)"
        echo "project($name NONE)"
        echo "enable_testing()"
        local test
        for test in "$@"; do
            echo "add_test(NAME ${test%%=*} COMMAND bash -c [[${test#*=}]] WORKING_DIRECTORY $scratch/$name)"
        done
    } >"$scratch/$name/CMakeLists.txt"
    cmake -S "$scratch/$name" -B "$scratch/$name/build" >/dev/null
}

# expect WHAT ACTUAL EXPECTED
expect() {
    if [ "$2" != "$3" ]; then
        echo "FAILED: $1: got [$2], expected [$3]"
        fail=1
    fi
}

# A test that fails only the first time, one that always fails, one that
# passes; two at a time.
project mixed 'Passes=true' 'FailsOnce=test -e once || { touch once; exit 1; }' \
    'AlwaysFails=echo "what the failing test said"; exit 3'
status=0
bash "$runner" "$scratch/mixed/build" "$scratch/mixed.result" 2 >"$scratch/mixed.log" 2>&1 || status=$?
expect "status with a test failing twice" "$status" 1
expect "counts" "$(head -n1 "$scratch/mixed.result")" "2 1"
expect "passed only alone" "$(tail -n +2 "$scratch/mixed.result")" FailsOnce
# The second run's output of the test failing again is shown.
expect "output shown after the second run" \
    "$(sed -n '/once more, one at a time/,$p' "$scratch/mixed.log" | grep -c 'what the failing test said')" 1

# Everything passes: no second run, nobody named.
project clean 'First=true' 'Second=true'
status=0
bash "$runner" "$scratch/clean/build" "$scratch/clean.result" 2 >"$scratch/clean.log" 2>&1 || status=$?
expect "status with every test passing" "$status" 0
expect "counts with every test passing" "$(cat "$scratch/clean.result")" "2 0"
expect "no second run" "$(grep -c 'once more' "$scratch/clean.log" || true)" 0

# A folder without tests (a build that never configured) is a failure.
status=0
bash "$runner" "$scratch/missing" "$scratch/missing.result" 2 >"$scratch/missing.log" 2>&1 || status=$?
expect "status without tests" "$status" 1
expect "counts without tests" "$(cat "$scratch/missing.result")" "0 1"

[ "$fail" -eq 0 ] || { echo "--- output of the mixed run:"; cat "$scratch/mixed.log"; }
exit "$fail"
