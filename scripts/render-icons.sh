#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the program picture's PNG sizes from its SVG (needs rsvg-convert, Debian package
# librsvg2-bin). The PNGs are kept in the repository, so building never needs this.
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
for size in 48 128 256; do
  mkdir -p "${size}x${size}"
  rsvg-convert -w "$size" -h "$size" org.example.kestro.svg -o "${size}x${size}/org.example.kestro.png"
done
