#!/bin/sh
# Renders the application icon (two overlapping picture cards) into
# res/icons/tessaglyph-{16,32,256}.png with ImageMagick 6. The master is drawn
# at 1024 pixels on a 64-pixel grid, so the box-filtered small sizes stay sharp.
set -eu

cd "$(dirname "$0")/.."
CONVERT=$(command -v convert-im6.q16 || command -v convert)
OUT=res/icons
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$OUT"

# Rounds the corners of a 576-pixel card: rounded_card IN OUT.
rounded_card() {
  "$CONVERT" "$1" -alpha set \
    \( +clone -alpha transparent -fill white -draw "roundrectangle 0,0 575,575 88,88" \) \
    -compose DstIn -composite "$2"
}

# The back card: a warm plain picture.
"$CONVERT" -size 576x576 gradient:'#FCD34D'-'#F59E0B' "$WORK/back-square.png"
rounded_card "$WORK/back-square.png" "$WORK/back.png"

# The front card: a sky with a sun over two hills.
"$CONVERT" -size 576x576 gradient:'#60A5FA'-'#1D4ED8' \
  -fill '#FEF3C7' -draw "circle 416,160 416,224" \
  -fill '#DBEAFE' -draw "polygon 0,576 0,448 192,256 352,448 432,352 576,512 576,576" \
  "$WORK/front-square.png"
rounded_card "$WORK/front-square.png" "$WORK/front.png"

# Back card top right, a white rim, the front card bottom left over it.
"$CONVERT" -size 1024x1024 xc:none \
  "$WORK/back.png" -geometry +384+64 -composite \
  -fill white -draw "roundrectangle 0,320 703,1023 120,120" \
  "$WORK/front.png" -geometry +64+384 -composite \
  "$WORK/master.png"

for size in 16 32 256; do
  "$CONVERT" "$WORK/master.png" -filter box -resize "${size}x${size}" -strip \
    -define png:exclude-chunks=date,time "$OUT/tessaglyph-$size.png"
done
echo "Wrote $OUT/tessaglyph-16.png, -32.png and -256.png"
