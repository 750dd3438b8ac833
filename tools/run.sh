#!/usr/bin/env bash
# Sets up, builds and starts the player; arguments go to the player. Without
# a file it opens the demo clip, made on the first run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
bash tools/build.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "korvoplayer needs a graphical session (DISPLAY is not set)." >&2
    exit 1
fi
if [ $# -eq 0 ]; then
    demo=build/demo/korvo-demo.wmv
    [ -f "$demo" ] || bash tools/make-demo.sh "$demo"
    set -- "$demo"
fi
exec build/korvoplayer "$@"
