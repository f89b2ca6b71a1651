#!/usr/bin/env bash
# Writes two pictures, to judge the emoticons as users see them (run after make_emoticons.py;
# needs ImageMagick and the Liberation fonts):
#   docs/emoticons.png         every cell of emoticons.bmp enlarged 6 times with its number, and
#                              a row of cells at real size beside text at the bar's size;
#   docs/emoticons-scaled.png  a few cells of the 19, 29 and 38 pixel strips side by side,
#                              enlarged to about the same size (6, 4 and 3 times), next to the
#                              19-pixel cell stretched to 29 the way a system stretch would
#                              do it, and the three strips at real size.
# Usage: make_preview.sh [emoticons.png] [emoticons-scaled.png]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../docs/emoticons.png}
scaled_out=${2:-$here/../../docs/emoticons-scaled.png}
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

# The larger strips: one row a cell; columns 19 (x6), 19 stretched to 29 (x4), 29 (x4), 38 (x3).
convert "$here/emoticons-29.bmp" "$tmp/strip29.png"
convert "$here/emoticons-38.bmp" "$tmp/strip38.png"
tile() {
    local to=$1
    shift
    convert "$@" -background white -gravity center -extent 124x124 -bordercolor '#dddddd' \
        -border 2 "$to"
}
label() { convert -size 128x34 xc:white -font Liberation-Sans -pointsize 14 -gravity center \
    -annotate +0+0 "$1" "$2"; }
label $'19 px (100 %%)\nx6' "$tmp/h0.png"
label $'19 stretched to 29\nx4' "$tmp/h1.png"
label $'29 px (150 %%)\nx4' "$tmp/h2.png"
label $'38 px (200 %%)\nx3' "$tmp/h3.png"
convert "$tmp"/h[0-3].png +append "$tmp/row_00.png"
n=1
for k in 0 9 17 19 23 27 32 39 43; do
    tile "$tmp/c0.png" "$tmp/strip.png" -crop "19x19+$((19 * k))+0" +repage -scale 600%
    tile "$tmp/c1.png" "$tmp/strip.png" -crop "19x19+$((19 * k))+0" +repage -sample 29x29 \
        -scale 400%
    tile "$tmp/c2.png" "$tmp/strip29.png" -crop "29x29+$((29 * k))+0" +repage -scale 400%
    tile "$tmp/c3.png" "$tmp/strip38.png" -crop "38x38+$((38 * k))+0" +repage -scale 300%
    convert "$tmp"/c[0-3].png +append "$tmp/row_$(printf %02d "$n").png"
    n=$((n + 1))
done
convert "$tmp"/row_*.png -append "$tmp/cells.png"
# Real size: faces 9 to 19 of each strip, one strip under the other.
convert -size 560x132 xc:white \
    \( "$tmp/strip.png" -crop 209x19+171+0 +repage \) -geometry +10+10 -composite \
    \( "$tmp/strip29.png" -crop 319x29+261+0 +repage \) -geometry +10+36 -composite \
    \( "$tmp/strip38.png" -crop 418x38+342+0 +repage \) -geometry +10+72 -composite \
    -font Liberation-Sans -pointsize 13 -fill black \
    -annotate +440+24 '19 px' -annotate +440+55 '29 px' -annotate +440+96 '38 px' \
    "$tmp/real.png"
convert "$tmp/cells.png" "$tmp/real.png" -background white -gravity west -append +repage \
    -strip -define png:exclude-chunks=date,time "$scaled_out"
echo "wrote $scaled_out"
