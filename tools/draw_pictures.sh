#!/usr/bin/env bash
# Draws the console's two pictures into assets/ (needs ImageMagick, librsvg2-bin and the
# WenQuanYi font).
# The build copies them next to the executable as 123/Chinese&English.jpg and 123/BQ.jpg.
# Also renders the desktop icon, whose source is assets/corvane.svg, at 48, 64 and 128 pixels.
set -euo pipefail
cd "$(dirname "$0")/../assets"
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc

# Logo: a searchlight throwing its beam across a night sky, with the console's name.
convert -size 514x134 gradient:'#0b1a33-#1d3557' \
    -fill '#fff6c0' -draw "polygon 60,100 500,10 500,70" \
    -fill '#ffe066' -draw "circle 52,100 70,100" \
    -fill '#444444' -draw "rectangle 40,112 64,128" \
    -font "$font" -fill white -pointsize 40 -annotate +160+118 'Corvane' \
    -fill '#ffd166' -pointsize 26 -annotate +330+118 '探照灯云台' \
    -quality 92 logo.jpg

# About picture: the lamp alone.
convert -size 100x100 xc:'#1d3557' \
    -fill '#fff6c0' -draw "polygon 50,50 100,0 100,40" \
    -fill '#ffe066' -draw "circle 40,58 58,58" \
    -fill '#444444' -draw "rectangle 30,78 50,96" \
    -quality 92 about.jpg

# Desktop icon: drawn large from the SVG by librsvg, then scaled down, so small sizes stay
# smooth. 48 pixels is the size every icon theme looks for first.
for size in 48 64 128; do
    rsvg-convert -w 384 -h 384 corvane.svg |
        convert -background none - -resize ${size}x${size} -strip PNG32:corvane-$size.png
done
