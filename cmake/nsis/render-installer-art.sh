#!/usr/bin/env bash
# Renders the Windows installer's pictures (welcome.bmp, header.bmp) from their SVG sources here,
# which draw the application icon (resources/icons/brindle.svg) with the product's name. Needs
# rsvg-convert, ImageMagick's convert and the DejaVu fonts; the build only uses the results.
# NSIS shows 24-bit Windows bitmaps without alpha.
set -euo pipefail
cd "$(dirname "$0")"
for tool in rsvg-convert convert; do
    command -v "$tool" >/dev/null || { echo "render-installer-art: $tool is not installed" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for picture in welcome header; do
    rsvg-convert "$picture.svg" -o "$work/$picture.png"
    convert "$work/$picture.png" -background white -flatten -alpha off -type TrueColor -strip "BMP3:$picture.bmp"
done
echo "render-installer-art: welcome.bmp and header.bmp written to $(pwd)"
