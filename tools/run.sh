#!/usr/bin/env bash
# Sets up, builds and starts the player; arguments go to the player. Without
# a file it opens the demo clip, made on the first run while the player
# builds. Only the player and its library are built (the tests, benchmarks
# and tools are not), in the same folder and with the same settings as
# tools/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "korvoplayer needs a graphical session (DISPLAY is not set)." >&2
    exit 1
fi
bash tools/setup.sh
demo=build/demo/korvo-demo.wmv
maker=
if [ $# -eq 0 ] && [ ! -f "$demo" ]; then
    bash tools/make-demo.sh "$demo" &
    maker=$!
fi
bash tools/build.sh build -DKORVO_SANITIZE=OFF -DKORVO_TSAN=OFF -DKORVO_FUZZ=OFF -DKORVO_BUILD_TESTS=ON \
    -- korvoplayer BrelmSource
if [ $# -eq 0 ]; then
    [ -z "$maker" ] || wait "$maker"
    set -- "$demo"
fi
exec build/korvoplayer "$@"
