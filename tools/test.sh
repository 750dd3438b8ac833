#!/usr/bin/env bash
# Sets up, builds and runs every test twice: in the normal build and in an
# AddressSanitizer + UndefinedBehaviorSanitizer build; then the filter tests
# once more under ThreadSanitizer. Both builds compile side by side from the
# start, and each build's tests start as soon as it is built, beside the
# other build or its tests: tests mostly wait on playback, and the builds,
# at a lower priority than any test, take the processor time the tests
# leave. Tests that need an X server get one of a pool of virtual servers
# (Xvfb) to themselves; each build's tests have a pool of their own. A test
# that fails among the others runs once more alone after them: passing then,
# it counts as passed but is listed ("passed only when run again alone:").
# Each build's test output is shown whole once its tests have ended. Ends
# with the time of each phase and, as the last line, the number of tests
# passed and failed.
#
# KORVO_TEST_JOBS sets how many tests of one build run at once (default 6),
# and KORVO_TEST_DISPLAYS the size of each pool of X servers (default 4).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${KORVO_TEST_JOBS:-6}
pool=${KORVO_TEST_DISPLAYS:-4}
scratch=$(mktemp -d)
servers=()
background=()
# kill_tree PID ends a process and all its descendants.
kill_tree() {
    local child
    for child in $(pgrep -P "$1"); do
        kill_tree "$child"
    done
    kill "$1" 2>/dev/null || true
}
cleanup() {
    for job in ${background[@]+"${background[@]}"}; do
        kill_tree "$job"
    done
    for server in "${servers[@]}"; do
        kill "$server" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

phases=()
# phase NAME SECONDS records a phase's time for the table at the end.
phase() {
    phases+=("$(printf '  %-34s %5d s' "$1" "$2")")
}
passed=0
failed=0

# Starts an Xvfb that picks a free display number itself, and sets `number`
# to it.
start_display() {
    local file=$scratch/display${#servers[@]}
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$file" >/dev/null 2>&1 &
    servers+=($!)
    for _ in $(seq 300); do
        if [ -s "$file" ]; then
            number=$(head -n1 "$file")
            return
        fi
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    exit 1
}

# start_displays NAME starts one shared server for whatever asks for no
# display of its own (DISPLAY), and the pool CTest hands out one at a time
# (tests/DisplayResource.h), described in $scratch/NAME.json.
start_displays() {
    local number ids=()
    start_display
    export DISPLAY=:$number
    for _ in $(seq "$pool"); do
        start_display
        ids+=("{\"id\": \"x$number\", \"slots\": 1}")
    done
    local IFS=,
    echo "{\"version\": {\"major\": 1, \"minor\": 0}, \"local\": [{\"displays\": [${ids[*]}]}]}" \
        >"$scratch/$1.json"
}

# run_ctest NAME DIR runs a build's tests on the displays of NAME (those
# that fail once more alone, tools/run-ctest.sh), keeps their output in
# $scratch/NAME.tests.log and their time in $scratch/NAME.tests.seconds.
run_ctest() {
    local begin=$SECONDS
    echo "$1 tests: started"
    bash tools/run-ctest.sh "$2" "$scratch/$1.result" "$jobs" --resource-spec-file "$scratch/$1.json" \
        >"$scratch/$1.tests.log" 2>&1 || true
    echo $((SECONDS - begin)) >"$scratch/$1.tests.seconds"
    echo "$1 tests: ended in $((SECONDS - begin)) s"
}

# report_ctest NAME shows the output of a build's tests and adds up their
# results.
alone=()
report_ctest() {
    cat "$scratch/$1.tests.log"
    phase "$1 tests" "$(cat "$scratch/$1.tests.seconds")"
    local counts names
    { read -r counts; mapfile -t names; } <"$scratch/$1.result"
    passed=$((passed + ${counts% *}))
    failed=$((failed + ${counts#* }))
    for name in ${names[@]+"${names[@]}"}; do
        alone+=("$name ($1 build)")
    done
}

# build NAME DIR ARGS... builds at a lower priority than the tests and
# records its status and time; wait_build NAME waits for it and shows its
# output when it failed.
build() {
    local name=$1
    shift
    local begin=$SECONDS status=0
    nice -n 10 bash tools/build.sh "$@" >"$scratch/$name.log" 2>&1 || status=$?
    echo "$status $((SECONDS - begin))" >"$scratch/$name.status"
}
wait_build() {
    local status seconds
    while [ ! -f "$scratch/$1.status" ]; do
        sleep 1
    done
    read -r status seconds <"$scratch/$1.status"
    phase "$1" "$seconds"
    echo "$1: ended in $seconds s (status $status)"
    if [ "$status" -ne 0 ]; then
        cat "$scratch/$1.log"
        echo "$1 failed" >&2
        exit "$status"
    fi
}

print_summary() {
    if [ ${#alone[@]} -gt 0 ]; then
        echo
        echo "passed only when run again alone:"
        printf '  %s\n' "${alone[@]}"
    fi
    echo
    echo "Phase times (load average $(cut -d' ' -f1-3 /proc/loadavg)):"
    printf '%s\n' "${phases[@]}"
    printf '  %-34s %5d s\n' total "$SECONDS"
    echo
    echo "$passed passed, $failed failed"
}

begin=$SECONDS
bash tools/setup.sh
phase setup $((SECONDS - begin))

# The sanitizer builds build only what their tests run.
{
    build "ASan build" build-asan -DKORVO_SANITIZE=ON -DKORVO_TSAN=OFF -DKORVO_FUZZ=OFF \
        -DKORVO_BUILD_TESTS=ON -- korvo_tests
    build "TSan build" build-tsan -DKORVO_TSAN=ON -DKORVO_SANITIZE=OFF -DKORVO_FUZZ=OFF \
        -DKORVO_BUILD_TESTS=ON -- filter_tests
} &
background+=($!)
build "normal build" build -DKORVO_SANITIZE=OFF -DKORVO_TSAN=OFF -DKORVO_FUZZ=OFF -DKORVO_BUILD_TESTS=ON &
background+=($!)

# The media the tests make (tests/TestMedia.h) are made once for the whole
# run, for both builds' tests, instead of once in each test process.
export KORVO_TEST_MEDIA_DIR=$scratch/media

wait_build "normal build"
start_displays normal
run_ctest normal build &
normal_tests=$!
background+=("$normal_tests")

# The sanitizer runtime of this compiler guesses where a block of a loaded
# library's thread-local storage begins by reading the 16 bytes before it;
# when the block happens to start 16 bytes into a page, the guess is garbage
# and the leak check crashes at exit, scanning from near address 0. The
# blocks are reachable from the thread's own descriptor anyway, so the leak
# check finds what they point to without that guess.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
wait_build "ASan build"
start_displays ASan
run_ctest ASan build-asan
wait "$normal_tests" || true
report_ctest normal
report_ctest ASan

# The filter classes' tests (the reader pin's locks, ring and flushes) once
# more under ThreadSanitizer, all in one process.
wait_build "TSan build"
begin=$SECONDS
status=0
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/filter_tests | tee "$scratch/tsan.log" || status=$?
phase "TSan tests" $((SECONDS - begin))
tsan_passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$scratch/tsan.log")
tsan_failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' "$scratch/tsan.log")
passed=$((passed + ${tsan_passed:-0}))
failed=$((failed + ${tsan_failed:-0}))
[ "$status" -eq 0 ] || [ -n "$tsan_failed" ] || failed=$((failed + 1))

print_summary
[ "$failed" -eq 0 ]
