#!/usr/bin/env bash
# Draws the built-in logo animation and encodes it as resources/logo/logo.gif:
# 32 frames of 60 ms on one shared palette, each frame stored as the
# rectangle that changed, looping for ever.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh build
# The GIF encoder is needed only here, not to build or test the player.
command -v convert >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends imagemagick
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
build/tools/logo/korvo_logo_frames "$frames"
mkdir -p resources/logo
convert -delay 6 -dispose none "$frames"/frame*.png +dither +remap -layers Optimize -loop 0 resources/logo/logo.gif
identify resources/logo/logo.gif | head -3
ls -l resources/logo/logo.gif
