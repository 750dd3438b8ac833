#!/usr/bin/env bash
# Sets up, builds and starts the player; arguments go to the player.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
bash tools/build.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "korvoplayer needs a graphical session (DISPLAY is not set)." >&2
    exit 1
fi
exec build/korvoplayer "$@"
