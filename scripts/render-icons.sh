#!/usr/bin/env bash
# Renders the icon's PNGs from its drawing; run after changing resources/icons/penwright.svg and
# commit the results (Debian: apt-get install librsvg2-bin).
set -euo pipefail
icons=$(cd "$(dirname "${BASH_SOURCE[0]}")/../resources/icons" && pwd)
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "$icons/hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$icons/penwright.svg" \
        -o "$icons/hicolor/${size}x${size}/apps/penwright.png"
done
