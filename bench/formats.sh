#!/usr/bin/env bash
# PNG and WebP through Pixtrel against the usual tools at equal settings, on the same pictures:
#   PNG decode + encode: pixtrel-batch convert --to png (zlib level 6, adaptive filters) against
#   ImageMagick (mogrify -format png -quality 65: level 6, adaptive filters), both one file after
#   the other in one process;
#   WebP lossy encode: pixtrel-batch convert --to webp --jpeg-quality 89 against cwebp -q 89 on the
#   same JPEG photos (both decode the JPEG first; lossless sources would give lossless WebP);
#   WebP decode: pixtrel-batch convert --to bmp of lossy WebP files against dwebp -bmp;
#   JPEG XL: a JPEG recompressed (pixtrel-batch convert --to jxl against cjxl's default, both
#   effort 7), a lossless PNG (convert --to jxl against cjxl -d 0 -e 3), and decoding to PNG
#   (convert --to png against djxl), each pinned to one core.
# Prints the times and our time over theirs; goal <= 1.0x each.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert mogrify cwebp dwebp cjxl djxl
[ -x "$BUILD/pixtrel-batch" ] || { echo "build first: scripts/test or scripts/run" >&2; exit 1; }

SET="$WORK/formats"
mkdir -p "$SET/jpeg" "$SET/png" "$SET/webp"
for i in $(seq 1 8); do
  make_photo "$SET/jpeg/p$i.jpg" 2400 1600 "$((i + 40))"
  [ -f "$SET/png/p$i.png" ] || convert "$SET/jpeg/p$i.jpg" -depth 8 "$SET/png/p$i.png"
  [ -f "$SET/webp/p$i.webp" ] || cwebp -quiet -q 89 "$SET/jpeg/p$i.jpg" -o "$SET/webp/p$i.webp"
done
list() { (cd "$1" && ls | tr '\n' ' '); }
PNGS=$(list "$SET/png"); JPEGS=$(list "$SET/jpeg"); WEBPS=$(list "$SET/webp")
in_copy() { echo "rm -rf '$SET/run' && cp -r '$SET/$1' '$SET/run' && cd '$SET/run' && $2"; }
base() { best_seconds "$(in_copy "$1" true)"; }
net() { awk -v t="$1" -v c="$2" 'BEGIN { v = t - c; if (v < 0.001) v = 0.001; printf "%.3f", v }'; }
report() {  # report WHAT OURS THEIRS PEER
  printf '  %-34s ours %7s s  %-26s %7s s  ratio %s (goal <= 1.0)\n' "$1" "$2" "$4" "$3" \
    "$(ratio "$2" "$3")"
}
echo "8 photos of 2400x1600, best of $REPEAT; ours one job (as the peers) and all cores"

c=$(base png)
ours=$(net "$(best_seconds "$(in_copy png "'$BUILD/pixtrel-batch' convert -q --jobs 1 --to png $PNGS")")" "$c")
all=$(net "$(best_seconds "$(in_copy png "'$BUILD/pixtrel-batch' convert -q --to png $PNGS")")" "$c")
theirs=$(net "$(best_seconds "$(in_copy png "mkdir -p out && mogrify -format png -quality 65 -path out $PNGS")")" "$c")
report "PNG decode + encode (1 job)" "$ours" "$theirs" "mogrify -format png"
report "PNG decode + encode (all cores)" "$all" "$theirs" "mogrify -format png"

c=$(base jpeg)
ours=$(net "$(best_seconds "$(in_copy jpeg "'$BUILD/pixtrel-batch' convert -q --jobs 1 --to webp --jpeg-quality 89 $JPEGS")")" "$c")
theirs=$(net "$(best_seconds "$(in_copy jpeg "for f in $JPEGS; do cwebp -quiet -q 89 \$f -o \$f.webp; done")")" "$c")
report "WebP encode from JPEG, q 89 (1 job)" "$ours" "$theirs" "cwebp -q 89"

c=$(base webp)
ours=$(net "$(best_seconds "$(in_copy webp "'$BUILD/pixtrel-batch' convert -q --jobs 1 --to bmp $WEBPS")")" "$c")
theirs=$(net "$(best_seconds "$(in_copy webp "for f in $WEBPS; do dwebp -quiet -bmp \$f -o \$f.bmp; done")")" "$c")
report "WebP decode to BMP (1 job)" "$ours" "$theirs" "dwebp -bmp"

# JPEG XL: both sides single-threaded (ours one job on one core; cjxl and djxl one thread).
mkdir -p "$SET/jxl"
for i in $(seq 1 8); do
  [ -f "$SET/jxl/p$i.jxl" ] || cjxl -d 1 -e 5 "$SET/png/p$i.png" "$SET/jxl/p$i.jxl" >/dev/null 2>&1
done
JXLS=$(list "$SET/jxl")
one="taskset -c 0"
c=$(base jpeg)
ours=$(net "$(best_seconds "$(in_copy jpeg "$one '$BUILD/pixtrel-batch' convert -q --jobs 1 --to jxl $JPEGS")")" "$c")
theirs=$(net "$(best_seconds "$(in_copy jpeg "for f in $JPEGS; do $one cjxl --num_threads=0 \$f \$f.jxl >/dev/null 2>&1; done")")" "$c")
report "JPEG recompressed to JPEG XL" "$ours" "$theirs" "cjxl (lossless JPEG)"
c=$(base png)
ours=$(net "$(best_seconds "$(in_copy png "$one '$BUILD/pixtrel-batch' convert -q --jobs 1 --to jxl $PNGS")")" "$c")
theirs=$(net "$(best_seconds "$(in_copy png "for f in $PNGS; do $one cjxl --num_threads=0 -d 0 -e 3 \$f \$f.jxl >/dev/null 2>&1; done")")" "$c")
report "PNG to lossless JPEG XL" "$ours" "$theirs" "cjxl -d 0 -e 3"
c=$(base jxl)
ours=$(net "$(best_seconds "$(in_copy jxl "$one '$BUILD/pixtrel-batch' convert -q --jobs 1 --to png $JXLS")")" "$c")
theirs=$(net "$(best_seconds "$(in_copy jxl "for f in $JXLS; do $one djxl --num_threads=1 \$f \$f.png >/dev/null 2>&1; done")")" "$c")
report "JPEG XL decode to PNG" "$ours" "$theirs" "djxl to PNG"
