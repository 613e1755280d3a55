#!/bin/bash
# Encoder bench for the modern output formats and PNG: time, size, peak memory and a quality
# figure per encoder and setting, so defaults are chosen from numbers. Run on demand, never by CI.
#
# usage: bench/encoders.sh CORPUS_DIR [PNGSUITE_DIR]
#   CORPUS_DIR    pictures to measure (.jpg/.jpeg/.png/.webp, not recursive). JPEG files count as
#                 photos, everything else as drawings. Nothing is copied into the repo.
#   PNGSUITE_DIR  optional folder of small PNGs (e.g. /work/shared/testdata/pngsuite); only the PNG
#                 writers run on it (files starting with "x" are PngSuite's broken ones: skipped).
# Output: a tab-separated row per encode in $OUT/results.tsv and a summary table on stdout.
#
# Environment (defaults in brackets):
#   OUT [mktemp -d]        work folder: decoded references, encoded files, results.tsv
#   THREADS [2]            threads given to every encoder that takes a count
#   SPEEDS ["4 6 8 10"]    avifenc speeds;  AVIF_CODECS ["aom rav1e svt"]
#   AVIF_YUV [420]         chroma for avifenc (SVT-AV1 in Debian 12 encodes 4:2:0 only)
#   AVIF_Q_aom / AVIF_Q_rav1e / AVIF_Q_svt   fixed quantizer (0-63); unset: calibrated (below)
#   CAL_QS ["6 9 12 15"], CAL_SPEED [8]
#   CONVERT [/usr/bin/convert]  ImageMagick 6 convert (the real binary, not a wrapper on PATH)
#   SECTIONS ["avif webp jxl png"]  which parts to run (the JPEG q90 target always runs)
#
# Quality: each photo's reference is the decoded JPEG shifted by 4 pixels (crop +4+4; an even shift keeps even sizes, which SVT-AV1 needs for 4:2:0), so that
# JPEG q90 of it is not re-quantised on the original 8x8 grid (that would flatter JPEG). Figures:
# PSNR from ImageMagick `compare -metric PSNR` (RGB) and luma SSIM/DSSIM from bench/ssim.py
# (ImageMagick 6.9.11 has no SSIM metric; Debian 12 has no dssim package).
# AVIF calibration: per encoder, at CAL_SPEED, the quantizer from CAL_QS whose mean DSSIM over the
# photos is nearest to JPEG q90's mean DSSIM; every speed then runs at that quantizer.
#
# Debian 12 packages (install by hand; not project dependencies):
#   libavif-bin (avifenc/avifdec: aom, rav1e, svt), webp (cwebp/dwebp), libjxl-tools (cjxl/djxl),
#   libvips-tools (vips), graphicsmagick (gm, optional), imagemagick, python3-numpy, time.
set -eu

CORPUS=${1:?usage: bench/encoders.sh CORPUS_DIR [PNGSUITE_DIR]}
PNGSUITE=${2:-}
HERE=$(cd "$(dirname "$0")" && pwd)
OUT=${OUT:-$(mktemp -d)}
THREADS=${THREADS:-2}
SPEEDS=${SPEEDS:-"4 6 8 10"}
AVIF_CODECS=${AVIF_CODECS:-"aom rav1e svt"}
AVIF_YUV=${AVIF_YUV:-420}
CAL_QS=${CAL_QS:-"6 9 12 15"}
CAL_SPEED=${CAL_SPEED:-8}
CONVERT=${CONVERT:-/usr/bin/convert}
SECTIONS=" ${SECTIONS:-avif webp jxl png} "
export VIPS_CONCURRENCY=$THREADS
want() { case $SECTIONS in *" $1 "*) return 0 ;; esac; return 1; }

for t in avifenc avifdec cwebp dwebp cjxl djxl vips compare /usr/bin/time /usr/bin/python3 "$CONVERT"; do
    command -v "$t" >/dev/null || { echo "missing tool: $t" >&2; exit 2; }
done
HAVE_GM=0; command -v gm >/dev/null && HAVE_GM=1

mkdir -p "$OUT/ref" "$OUT/enc" "$OUT/dec"
RES=$OUT/results.tsv
printf 'group\ttool\tsetting\tfile\tseconds\tbytes\tpeak_kb\tpsnr\tdssim\n' >"$RES"

# timed OUTFILE CMD...: runs CMD, sets SECS and PEAK (KB) from /usr/bin/time, BYTES from OUTFILE.
timed() {
    local out=$1; shift
    rm -f "$out"
    /usr/bin/time -f '%e %M' -o "$OUT/time" "$@" >/dev/null 2>"$OUT/err" || {
        echo "FAILED: $*" >&2; tail -3 "$OUT/err" >&2; SECS=NA; PEAK=NA; BYTES=NA; return 1; }
    read -r SECS PEAK <"$OUT/time"
    BYTES=$(stat -c %s "$out")
}

# quality REF DECODED: sets PSNR and DSSIM.
quality() {
    PSNR=$(compare -metric PSNR "$1" "$2" null: 2>&1 || true)
    DSSIM=$(/usr/bin/python3 "$HERE/ssim.py" "$1" "$2" | cut -d' ' -f2)
}

row() { printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >>"$RES"; }

# --- references -------------------------------------------------------------------------------
PHOTOS=(); DRAWINGS=()
for f in "$CORPUS"/*; do
    case ${f,,} in
        *.jpg|*.jpeg) n=$(basename "${f%.*}"); "$CONVERT" "$f" -crop +4+4 +repage "$OUT/ref/$n.png"
                      PHOTOS+=("$n"); ln -sf "$(readlink -f "$f")" "$OUT/ref/$n.orig.jpg" ;;
        *.png|*.webp) n=$(basename "${f%.*}"); "$CONVERT" "$f" "$OUT/ref/$n.png"; DRAWINGS+=("$n") ;;
    esac
done
PHOTOS_W=("${PHOTOS[@]}"); DRAWINGS_W=("${DRAWINGS[@]}")
echo "photos: ${PHOTOS[*]:-none}"; echo "drawings: ${DRAWINGS[*]:-none}"

# --- JPEG q90: the quality target ---------------------------------------------------------------
for n in "${PHOTOS[@]}"; do
    timed "$OUT/enc/$n.q90.jpg" "$CONVERT" "$OUT/ref/$n.png" -quality 90 "$OUT/enc/$n.q90.jpg" || continue
    quality "$OUT/ref/$n.png" "$OUT/enc/$n.q90.jpg"
    row photo jpeg-im q90 "$n" "$SECS" "$BYTES" "$PEAK" "$PSNR" "$DSSIM"
done
TARGET=$(awk -F'\t' '$2=="jpeg-im"{s+=$9;n++} END{if(n) printf "%.6f", s/n}' "$RES")
echo "JPEG q90 mean DSSIM (target): $TARGET"

# --- AVIF ---------------------------------------------------------------------------------------
avif() { # CODEC SPEED Q NAME GROUP
    local o="$OUT/enc/$4.$1.s$2.q$3.avif"
    timed "$o" avifenc -j "$THREADS" -c "$1" -s "$2" -y "$AVIF_YUV" --min "$3" --max "$3" \
        "$OUT/ref/$4.png" "$o" || return 0
    avifdec "$o" "$OUT/dec/$4.png" >/dev/null
    quality "$OUT/ref/$4.png" "$OUT/dec/$4.png"
    row "$5" "avif-$1" "s$2 q$3" "$4" "$SECS" "$BYTES" "$PEAK" "$PSNR" "$DSSIM"
}
want avif || AVIF_CODECS=
for c in $AVIF_CODECS; do
    var=AVIF_Q_$c; q=${!var:-}
    if [ -z "$q" ]; then
        for cq in $CAL_QS; do for n in "${PHOTOS[@]}"; do avif "$c" "$CAL_SPEED" "$cq" "$n" calib; done; done
        q=$(awk -F'\t' -v t="$TARGET" -v c="avif-$c" '$1=="calib" && $2==c {
                split($3, a, " q"); s[a[2]]+=$9; k[a[2]]++ }
            END { for (x in s) { d=s[x]/k[x]-t; if (d<0) d=-d; if (best=="" || d<bd) {best=x; bd=d} } print best }' "$RES")
        echo "avif-$c: calibrated quantizer $q"
    fi
    for s in $SPEEDS; do for n in "${PHOTOS[@]}"; do avif "$c" "$s" "$q" "$n" photo; done; done
done

# --- WebP: q90 for photos, lossless for drawings ------------------------------------------------
want webp || PHOTOS_W=() DRAWINGS_W=()
for n in "${PHOTOS_W[@]}"; do
    o="$OUT/enc/$n.q90.webp"
    timed "$o" cwebp -mt -q 90 "$OUT/ref/$n.png" -o "$o" || continue
    dwebp "$o" -o "$OUT/dec/$n.png" >/dev/null 2>&1
    quality "$OUT/ref/$n.png" "$OUT/dec/$n.png"
    row photo cwebp q90 "$n" "$SECS" "$BYTES" "$PEAK" "$PSNR" "$DSSIM"
done
for n in "${DRAWINGS_W[@]}"; do
    o="$OUT/enc/$n.ll.webp"
    timed "$o" cwebp -mt -lossless "$OUT/ref/$n.png" -o "$o" || continue
    row drawing cwebp lossless "$n" "$SECS" "$BYTES" "$PEAK" inf 0
done

# --- JPEG XL: distance 1.0 on pixels, lossless recompression of the JPEG files ------------------
JXL_IN=("${PHOTOS[@]}" "${DRAWINGS[@]}"); JPEG_IN=("${PHOTOS[@]}")
want jxl || JXL_IN=() JPEG_IN=()
for n in "${JXL_IN[@]}"; do
    g=drawing; [ -e "$OUT/ref/$n.orig.jpg" ] && g=photo
    o="$OUT/enc/$n.d1.jxl"
    timed "$o" cjxl --num_threads="$THREADS" -d 1.0 "$OUT/ref/$n.png" "$o" || continue
    djxl "$o" "$OUT/dec/$n.png" >/dev/null 2>&1
    quality "$OUT/ref/$n.png" "$OUT/dec/$n.png"
    row "$g" cjxl d1.0 "$n" "$SECS" "$BYTES" "$PEAK" "$PSNR" "$DSSIM"
done
for n in "${JPEG_IN[@]}"; do
    src="$OUT/ref/$n.orig.jpg"; o="$OUT/enc/$n.jpeg.jxl"
    timed "$o" cjxl --num_threads="$THREADS" --lossless_jpeg=1 "$src" "$o" || continue
    djxl "$o" "$OUT/dec/$n.jpg" >/dev/null 2>&1
    same=differs; cmp -s "$src" "$OUT/dec/$n.jpg" && same=identical
    row jpeg cjxl "lossless-jpeg ($same)" "$n" "$SECS" "$BYTES" "$PEAK" - -
    row jpeg source "input JPEG" "$n" 0 "$(stat -L -c %s "$src")" 0 - -
done

# --- PNG writers --------------------------------------------------------------------------------
png_all() { # GROUP FILES...: every writer on every file
    local g=$1; shift
    local f n o v lv fv
    for f in "$@"; do
        n=$(basename "${f%.*}")
        o="$OUT/enc/$n.png"
        timed "$o" "$CONVERT" "$f" "$o" && row "$g" im default "$n" "$SECS" "$BYTES" "$PEAK" - -
        for v in "1 5" "3 5" "6 0" "9 5"; do
            read -r lv fv <<<"$v"
            timed "$o" "$CONVERT" "$f" -define png:compression-level="$lv" -define png:compression-filter="$fv" "$o" &&
                row "$g" im "level $lv filter $fv" "$n" "$SECS" "$BYTES" "$PEAK" - -
        done
        timed "$o" vips copy "$f" "$o" && row "$g" vips copy "$n" "$SECS" "$BYTES" "$PEAK" - -
        timed "$o" vips copy "$f" "$o[compression=1]" && row "$g" vips compression=1 "$n" "$SECS" "$BYTES" "$PEAK" - -
        if [ "$HAVE_GM" = 1 ]; then
            timed "$o" gm convert "$f" "$o" && row "$g" gm default "$n" "$SECS" "$BYTES" "$PEAK" - -
        fi
    done
}
# Photos start from their JPEG file (decoding counts, as in a real batch), drawings from their PNG.
PNG_IN=()
for n in "${PHOTOS[@]}"; do PNG_IN+=("$OUT/ref/$n.orig.jpg"); done
for n in "${DRAWINGS[@]}"; do PNG_IN+=("$OUT/ref/$n.png"); done
want png || PNG_IN=() PNGSUITE=
[ ${#PNG_IN[@]} = 0 ] || png_all png "${PNG_IN[@]}"
if [ -n "$PNGSUITE" ]; then
    SUITE=(); for f in "$PNGSUITE"/*.png; do case $(basename "$f") in x*) ;; *) SUITE+=("$f") ;; esac; done
    png_all pngsuite "${SUITE[@]}"
fi

# --- summary: totals over the files of each group/tool/setting ----------------------------------
echo
echo "results: $RES"
printf '%-9s %-11s %-32s %3s %9s %12s %9s %7s %9s\n' group tool setting n seconds bytes peak_MB psnr dssim
awk -F'\t' 'NR>1 { k=$1 "\t" $2 "\t" $3; if (!(k in n)) order[++m]=k; n[k]++; t[k]+=$5; b[k]+=$6
                   if ($7>p[k]) p[k]=$7; if ($8 ~ /^[0-9.]+$/) { q[k]+=$8; qn[k]++ }
                   if ($9 ~ /^[0-9.]+$/) { d[k]+=$9; dn[k]++ } }
    END { for (i=1; i<=m; i++) { k=order[i]; split(k, a, "\t")
            printf "%-9s %-11s %-32s %3d %9.2f %12d %9.1f %7s %9s\n", a[1], a[2], a[3], n[k], t[k], b[k], p[k]/1024,
                qn[k] ? sprintf("%.2f", q[k]/qn[k]) : "-", dn[k] ? sprintf("%.5f", d[k]/dn[k]) : "-" } }' "$RES"
