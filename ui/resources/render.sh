#!/usr/bin/env bash
# Regenerates every bitmap in this folder from its SVG source.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert:
# scripts/install-deps art installs them.
# The normal build does not run this: the rendered files are kept in the repository.
set -euo pipefail

cd "$(dirname "$0")"

for tool in rsvg-convert convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "render.sh: $tool is missing" >&2; exit 1; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# PNG written without time stamps, so an unchanged picture renders to identical bytes.
png_opts=(-strip -define "png:exclude-chunks=date,time")

# Transparent picture: keep the alpha channel.
transparent() { # svg size png
    rsvg-convert -w "$2" -h "$2" "$1" -o "$tmp/out.png"
    convert "$tmp/out.png" "${png_opts[@]}" "PNG32:$3"
}

# Opaque picture: put the drawing on white and drop the alpha channel.
opaque() { # svg size png
    rsvg-convert -w "$2" -h "$2" "$1" -o "$tmp/out.png"
    convert "$tmp/out.png" -background white -alpha remove -alpha off "${png_opts[@]}" "PNG24:$3"
}

# Each picture at its own size and at twice that size ("@2x"), which Qt takes
# on screens scaled by more than 1, so the pictures stay sharp at 1.5x and 2x.
for scale in 1 2; do
    at=""
    [ "$scale" = 1 ] || at="@${scale}x"
    opaque      butterfly.svg      $((32 * scale)) "butterfly$at.png"
    transparent crayons.svg        $((16 * scale)) "crayons$at.png"
    opaque      info.svg           $((16 * scale)) "info$at.png"
    transparent crayons_dialog.svg $((32 * scale)) "crayons_dialog$at.png"
    opaque      speech_info.svg    $((32 * scale)) "speech_info$at.png"

    rsvg-convert -w $((125 * scale)) -h $((118 * scale)) kitten.svg -o "$tmp/kitten.png"
    convert "$tmp/kitten.png" -background white -alpha remove -alpha off -strip \
        -sampling-factor 4:2:0 -quality 90 "kitten$at.jpg"
done

# Application icons for desktop menus (rounded corners stay transparent),
# installed from packaging/linux/icons beside the desktop entry.
icons=../../packaging/linux/icons
for size in 16 32 48 64 128 256; do
    mkdir -p "$icons/${size}x${size}"
    transparent "$icons/scalable/zelmora.svg" "$size" "$icons/${size}x${size}/zelmora.png"
done

# The same icon for Windows programs and their installer, all sizes in one:
# 20 and 24 pixels too, which Windows takes at 125 and 150 % (taskbar,
# Alt+Tab, title bar).
for size in 20 24; do
    transparent "$icons/scalable/zelmora.svg" "$size" "$tmp/zelmora-$size.png"
done
convert "$icons"/16x16/zelmora.png "$tmp"/zelmora-{20,24}.png \
    "$icons"/{32x32,48x48,64x64,256x256}/zelmora.png ../../packaging/windows/zelmora.ico

echo "render.sh: artwork regenerated"
