#!/usr/bin/env bash
# Renders the application icon (resources/icons/korvoplayer.svg, the badge of
# the skin's caption bar) as the PNGs of the hicolor icon theme sizes,
# resources/icons/SIZE.png. The 256-pixel one is also the window icon,
# resource 128.
set -euo pipefail
cd "$(dirname "$0")/.."
# The SVG renderer is needed only here, not to build or test the player.
command -v rsvg-convert >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends librsvg2-bin
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" -o "resources/icons/$size.png" resources/icons/korvoplayer.svg
done
ls -l resources/icons
