#!/usr/bin/env bash
# Writes docs/emoticons.png from emoticons.bmp: every cell enlarged 6 times with its number,
# and a row of cells at real size beside text at the bar's size, to judge them as users see
# them. Needs ImageMagick and the Liberation fonts; run after make_emoticons.py.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../docs/emoticons.png}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert "$here/emoticons.bmp" "$tmp/strip.png"
for k in $(seq 0 43); do
    convert "$tmp/strip.png" -crop "19x19+$((19 * k))+0" +repage -scale 600% \
        -bordercolor white -border 6 \
        \( -size 126x18 xc:white -font Liberation-Sans -pointsize 14 -gravity center \
           -annotate +0+0 "$k" \) -append "$tmp/tile_$(printf %02d "$k").png"
done
montage "$tmp"/tile_*.png -tile 11x4 -geometry +2+2 -background '#dddddd' "$tmp/grid.png"

# Real size: faces 9-19 after a says text, cells 0-8 after it, then an action line.
convert -size 1400x25 xc:white \
    \( "$tmp/strip.png" -crop 209x19+171+0 +repage \) -geometry +150+3 -composite \
    \( "$tmp/strip.png" -crop 171x19+0+0 +repage \) -geometry +400+3 -composite \
    \( "$tmp/strip.png" -crop 456x19+380+0 +repage \) -geometry +800+3 -composite \
    -font Liberation-Sans -pointsize 19 -fill black \
    -annotate +4+19 'Ann says: hello' -annotate +600+19 'Bob has signed in.' "$tmp/bar.png"
convert "$tmp/grid.png" \( -size 1400x10 xc:white \) "$tmp/bar.png" \
    -background white -gravity west -append +repage "$out"
echo "wrote $out"
