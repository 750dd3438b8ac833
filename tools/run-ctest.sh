#!/usr/bin/env bash
# Runs the tests of one build folder with CTest, JOBS at a time, then each
# test that failed once more, alone. A test that passes alone counts as
# passed, but is named as such, so that a test that fails only beside others
# stays visible; one that fails again counts as failed, and its output is
# shown. Writes to RESULT-FILE the numbers of tests passed and failed on its
# first line and, on the lines after, the names of the tests that passed only
# alone. Ends with status 0 when no test failed.
#
# usage: run-ctest.sh BUILD-FOLDER RESULT-FILE JOBS [CTEST-OPTIONS...]
# The CTest options (a resource spec file, say) go to both runs.
set -euo pipefail
dir=${1:?usage: run-ctest.sh BUILD-FOLDER RESULT-FILE JOBS [CTEST-OPTIONS...]}
result=${2:?}
jobs=${3:?}
shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# summary LOG prints "TOTAL FAILED" from CTest's last summary line in LOG,
# or nothing when there is none (CTest itself failed).
summary() {
    local line
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n1 || true)
    if [[ $line =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
        echo "${BASH_REMATCH[2]} ${BASH_REMATCH[1]}"
    fi
}

# failed_names LOG prints the names of the tests CTest lists as failed
# ("  12 - Name (Failed)"), one a line.
failed_names() {
    sed -n '/^The following tests FAILED:/,$ s/^[[:space:]]*[0-9][0-9]* - \(.*\) ([^()]*)$/\1/p' "$1"
}

# run LOG ARGS... runs CTest on the folder with ARGS, its output shown and
# kept in LOG.
run() {
    local log=$1
    shift
    ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log" || true
}

run "$scratch/first.log" -j "$jobs" --output-junit "$(realpath "$dir")/ctest-junit.xml" "$@"
read -r total failed <<<"$(summary "$scratch/first.log")" || true
if [ -z "${total:-}" ]; then
    # No summary: CTest could not run the tests at all.
    echo "0 1" >"$result"
    exit 1
fi
again=()
if [ "$failed" -gt 0 ]; then
    mapfile -t first < <(failed_names "$scratch/first.log")
    echo
    echo "Running the $failed failed tests once more, one at a time:"
    run "$scratch/again.log" --rerun-failed --output-junit "$(realpath "$dir")/ctest-junit-again.xml" "$@"
    read -r _ still <<<"$(summary "$scratch/again.log")" || true
    mapfile -t second < <(failed_names "$scratch/again.log")
    if [ -n "${still:-}" ]; then
        for name in "${first[@]}"; do
            printf '%s\n' "${second[@]}" | grep -qxF -- "$name" || again+=("$name")
        done
        failed=$still
    fi
fi
{
    echo "$((total - failed)) $failed"
    [ ${#again[@]} -eq 0 ] || printf '%s\n' "${again[@]}"
} >"$result"
[ "$failed" -eq 0 ]
