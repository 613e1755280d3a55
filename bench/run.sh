#!/bin/sh
# Speed and memory of tessaglyph-convert against other converters, side by side
# in one run. Usage: bench/run.sh [BUILD_DIR]   (default: build)
#
# Makes (once, cached in bench/out/corpus) 24 photo-like 12-megapixel JPEGs
# from a fixed seed, then times with hyperfine:
#   - the batch to PNG, JPG and TIF: ours, mogrify, two mogrify processes,
#     gm mogrify, two gm processes, vips copy in a loop;
#   - the nine-format job on one picture: ours (decoded once per worker, the
#     outputs split over the workers) against decoding once per format;
# then peak memory (/usr/bin/time -v) and PNG sizes against ImageMagick's.
# Environment: RUNS (hyperfine runs per command, default 3), FORMATS
# (default "png jpg tif"), CORPUS_ONLY=1 to make the pictures and stop.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
OUT=$ROOT/bench/out
CORPUS=$OUT/corpus
RUNS=${RUNS:-3}
FORMATS=${FORMATS:-png jpg tif}
CONVERT=$BUILD/tessaglyph-convert

need() { command -v "$1" >/dev/null 2>&1; }

install_tools() {
    missing=""
    need hyperfine || missing="$missing hyperfine"
    need gm || missing="$missing graphicsmagick"
    need vips || missing="$missing libvips-tools"
    need mogrify-im6.q16 || missing="$missing imagemagick"
    [ -x /usr/bin/time ] || missing="$missing time"
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing tools; install them with: sudo apt-get install -y$missing" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
}

make_corpus() {
    mkdir -p "$CORPUS"
    i=1
    while [ $i -le 24 ]; do
        f=$CORPUS/photo$(printf %02d $i).jpg
        if [ ! -s "$f" ]; then
            # Smooth fractal light with grain of varying strength, 4:2:0 like a camera.
            grain=$(echo "$i" | awk '{ printf "%.2f", 0.15 + ($1 % 6) * 0.08 }')
            convert-im6.q16 -seed "$i" -size 4000x3000 plasma:fractal -blur 0x1.5 \
                -attenuate "$grain" +noise Gaussian -sampling-factor 2x2 -quality 90 "$f.tmp.jpg"
            mv "$f.tmp.jpg" "$f"
        fi
        i=$((i + 1))
    done
}

install_tools
[ -x "$CONVERT" ] || { echo "Build first (make build): $CONVERT is missing" >&2; exit 1; }
make_corpus
[ "${CORPUS_ONLY:-0}" = 1 ] && exit 0
mkdir -p "$OUT/results"
echo "Machine: $(nproc) cores; load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"

# Every command runs in the corpus folder on relative names (gm mogrify
# would otherwise rebuild the input's folders under its output folder).
cd "$CORPUS"
FILES=$(echo photo*.jpg)
D=$OUT/dst
prep="rm -rf $D && mkdir -p $D"

for X in $FORMATS; do
    vipsopt=""
    [ "$X" = jpg ] && vipsopt="[Q=90]"
    hyperfine --runs "$RUNS" --prepare "$prep" --export-markdown "$OUT/results/batch-$X.md" \
        -n "tessaglyph-convert" "$CONVERT -f $X -o $D $FILES" \
        -n "mogrify" "mogrify-im6.q16 -path $D -format $X $FILES" \
        -n "2x mogrify" "ls photo*.jpg | xargs -P2 -n12 mogrify-im6.q16 -path $D -format $X" \
        -n "gm mogrify" "gm mogrify -output-directory $D -format $X $FILES" \
        -n "2x gm mogrify" "ls photo*.jpg | xargs -P2 -n12 gm mogrify -output-directory $D -format $X" \
        -n "vips copy loop" "for f in $FILES; do vips copy \$f $D/\$(basename \$f .jpg).$X$vipsopt; done"
done

# One picture, nine formats: ours against one decode per format (the same
# program, one format per run, which is what converting per format costs).
ONE=photo01.jpg
NINE="bmp,jpg,gif,pcx,png,ico,tif,tga,raw"
hyperfine --runs "$RUNS" --prepare "$prep" --export-markdown "$OUT/results/nine.md" \
    -n "nine formats, one job" "$CONVERT -f $NINE -o $D $ONE" \
    -n "decode per format" "for x in bmp jpg gif pcx png ico tif tga raw; do $CONVERT --jobs 1 -f \$x -o $D $ONE; done" \
    -n "convert-im6 per format" "for x in bmp jpg gif pcx png ico tif tga; do convert-im6.q16 $ONE $D/x.\$x; done; convert-im6.q16 $ONE -depth 8 rgb:$D/x.raw"

echo
echo "Peak memory of the largest process (kB), and output sizes:"
peak() { # name command...
    name=$1; shift
    rm -rf "$D" && mkdir -p "$D"
    kb=$(/usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident/ { print $2 }')
    echo "  $name: $kb kB, $(du -sk "$D" | cut -f1) kB written"
}
# shellcheck disable=SC2086
peak "tessaglyph-convert png" "$CONVERT" -f png -o "$D" $FILES
ours_png=$(du -sb "$D" | cut -f1)
# shellcheck disable=SC2086
peak "mogrify png" mogrify-im6.q16 -path "$D" -format png $FILES
im_png=$(du -sb "$D" | cut -f1)
# shellcheck disable=SC2086
peak "tessaglyph-convert jpg" "$CONVERT" -f jpg -o "$D" $FILES
# shellcheck disable=SC2086
peak "tessaglyph-convert tif" "$CONVERT" -f tif -o "$D" $FILES
peak "tessaglyph-convert nine formats" "$CONVERT" -f "$NINE" -o "$D" "$ONE"
echo "PNG bytes: ours $ours_png, ImageMagick default $im_png ($(echo "$ours_png $im_png" | awk '{ printf "%+.1f%%", ($1 / $2 - 1) * 100 }'))"
echo "Load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Tables: $OUT/results/*.md"
