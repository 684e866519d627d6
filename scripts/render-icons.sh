#!/usr/bin/env bash
# Renders the application icon into the PNG sizes of the desktop's icon
# theme, beside its SVG: resources/icons/hicolor/<N>x<N>/apps/.
set -euo pipefail
cd "$(dirname "$0")/../resources/icons"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" org.ondrel.Ondrel.svg -o "hicolor/${size}x${size}/apps/org.ondrel.Ondrel.png"
done
