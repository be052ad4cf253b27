#!/usr/bin/env bash
# Regenerates the checked-in PNG and ICO files under resources/icons from their SVG sources.
# Needs rsvg-convert and ImageMagick's convert; the build itself only uses the results.
set -euo pipefail
cd "$(dirname "$0")/../resources/icons"

for tool in rsvg-convert convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "render-art: $tool is not installed" >&2
        exit 1
    fi
done

# The logo is a 24-bit bitmap without alpha, laid on the dialog grey.
readonly dialog_grey='#f0f0f0'
# Leave out timestamps and text chunks so an unchanged SVG renders to identical bytes.
readonly png_opts=(-strip -define png:exclude-chunks=date,time,tEXt,zTXt,iTXt)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Application icon: the 16-pixel size has its own simplified drawing.
rsvg-convert -w 16 -h 16 brindle-16.svg -o "$work/16.png"
convert "$work/16.png" "${png_opts[@]}" PNG32:brindle-16.png
for size in 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" brindle.svg -o "$work/$size.png"
    convert "$work/$size.png" "${png_opts[@]}" "PNG32:brindle-$size.png"
done
convert brindle-16.png brindle-32.png brindle-48.png brindle-256.png brindle.ico

# Wizard header picture: at its template size in the Windows dialog font (150x89), at the size
# Qt's default font on Linux gives the template (DejaVu Sans 9 pt: 161x96), and at twice and four
# times the template size. The wizard decodes only the one it draws: the one of exactly the size
# that the font and the screen's scale ask for, else the nearest above, scaled.
for rendering in logo.png:150x89 logo-161x96.png:161x96 logo-2x.png:300x178 logo-4x.png:600x356; do
    name=${rendering%%:*}
    size=${rendering#*:}
    rsvg-convert -w "${size%x*}" -h "${size#*x}" logo.svg -o "$work/$name"
    # -quality 91: zlib's best compression, every row unfiltered (as ImageMagick reads the
    # number): decoding then skips the Paeth filter, which costs more than the few hundred
    # bytes it saves.
    convert "$work/$name" -background "$dialog_grey" -flatten -alpha off \
        "${png_opts[@]}" -quality 91 "PNG24:$name"
done

echo "render-art: icons and logo written to $(pwd)"
