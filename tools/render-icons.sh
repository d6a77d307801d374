#!/usr/bin/env bash
# Renders the program's icon (data/icons/org.orvanta.Orvanta.svg) to the PNG sizes of the
# hicolor theme, data/icons/<N>x<N>/org.orvanta.Orvanta.png. The PNGs are committed, so that a
# build needs no renderer; run this again after changing the SVG. Needs rsvg-convert
# (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
svg=data/icons/org.orvanta.Orvanta.svg
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2; exit 1; }
for size in 16 24 32 48 64 128 256; do
    mkdir -p "data/icons/${size}x${size}"
    rsvg-convert --width "$size" --height "$size" --format png \
        --output "data/icons/${size}x${size}/org.orvanta.Orvanta.png" "$svg"
done
