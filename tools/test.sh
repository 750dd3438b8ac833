#!/usr/bin/env bash
# Sets up, builds and runs every test twice: in the normal build and in an
# AddressSanitizer + UndefinedBehaviorSanitizer build; then the filter tests
# once more under ThreadSanitizer. Tests that need a display get a virtual X
# server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

run_tests() {
    local dir=$1
    if [ -n "${DISPLAY:-}" ]; then
        ctest --test-dir "$dir" --output-on-failure -j2
    else
        xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp -noreset" ctest --test-dir "$dir" --output-on-failure -j2
    fi
}

bash tools/build.sh build
run_tests build

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
bash tools/build.sh build-asan -DKORVO_SANITIZE=ON
run_tests build-asan

# The filter classes' tests (the reader pin's locks, ring and flushes) once
# more under ThreadSanitizer; only their target is built there.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVO_TSAN=ON >/dev/null
cmake --build build-tsan --target filter_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/filter_tests
