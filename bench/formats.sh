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
#   (convert --to png against djxl), each pinned to one core;
#   AVIF and HEIC written from JPEG photos at the same settings as avifenc and heif-enc (JPEG
#   quality 89 is AV1 quantizer 12 and libheif quality 51; AVIF speed 9, HEIC x265 preset fast;
#   4:2:0, 8 bits, one thread each, pinned to one core);
#   HEIC decoding: phone-like photos (4032x3024, grids of 512x512 HEVC tiles) to JPEG quality 90,
#   pixtrel-batch convert --to jpg against heif-convert -q 90, one file at a time on all cores.
# Prints the times and our time over theirs; goal <= 1.0x each. The AVIF and HEIC sections take
# turns with their peer round after round and print the median of the rounds' ratios of wall
# time, CPU time (user + system) and peak memory.
# PIXTREL_BENCH_ONLY=png|webp|jxl|heif-write|heif-read runs that section alone.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert mogrify cwebp dwebp cjxl djxl avifenc heif-enc heif-convert python3 /usr/bin/time
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
section() { [ -z "${PIXTREL_BENCH_ONLY:-}" ] || [ "$PIXTREL_BENCH_ONLY" = "$1" ]; }
echo "8 photos of 2400x1600, best of $REPEAT; ours one job (as the peers) and all cores"

if section png; then
c=$(base png)
ours=$(net "$(best_seconds "$(in_copy png "'$BUILD/pixtrel-batch' convert -q --jobs 1 --to png $PNGS")")" "$c")
all=$(net "$(best_seconds "$(in_copy png "'$BUILD/pixtrel-batch' convert -q --to png $PNGS")")" "$c")
theirs=$(net "$(best_seconds "$(in_copy png "mkdir -p out && mogrify -format png -quality 65 -path out $PNGS")")" "$c")
report "PNG decode + encode (1 job)" "$ours" "$theirs" "mogrify -format png"
report "PNG decode + encode (all cores)" "$all" "$theirs" "mogrify -format png"
fi

if section webp; then
c=$(base jpeg)
ours=$(net "$(best_seconds "$(in_copy jpeg "'$BUILD/pixtrel-batch' convert -q --jobs 1 --to webp --jpeg-quality 89 $JPEGS")")" "$c")
theirs=$(net "$(best_seconds "$(in_copy jpeg "for f in $JPEGS; do cwebp -quiet -q 89 \$f -o \$f.webp; done")")" "$c")
report "WebP encode from JPEG, q 89 (1 job)" "$ours" "$theirs" "cwebp -q 89"

c=$(base webp)
ours=$(net "$(best_seconds "$(in_copy webp "'$BUILD/pixtrel-batch' convert -q --jobs 1 --to bmp $WEBPS")")" "$c")
theirs=$(net "$(best_seconds "$(in_copy webp "for f in $WEBPS; do dwebp -quiet -bmp \$f -o \$f.bmp; done")")" "$c")
report "WebP decode to BMP (1 job)" "$ours" "$theirs" "dwebp -bmp"
fi

# JPEG XL: both sides single-threaded (ours one job on one core; cjxl and djxl one thread).
one="taskset -c 0"
if section jxl; then
mkdir -p "$SET/jxl"
for i in $(seq 1 8); do
  [ -f "$SET/jxl/p$i.jxl" ] || cjxl -d 1 -e 5 "$SET/png/p$i.png" "$SET/jxl/p$i.jxl" >/dev/null 2>&1
done
JXLS=$(list "$SET/jxl")
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
fi

# AVIF and HEIC: rounds in turn, medians of per-round ratios (the machine may be shared).
ROUNDS="${PIXTREL_BENCH_ROUNDS:-5}"
measure() {  # measure FOLDER CMD: CMD in a fresh copy of FOLDER; prints "wall cpu peak_kib"
  rm -rf "$SET/run" && cp -r "$SET/$1" "$SET/run"
  local line
  line=$(cd "$SET/run" && /usr/bin/time -f "%e %U %S %M" bash -c "$2" 2>&1 >/dev/null | tail -1)
  awk '{ printf "%.3f %.3f %d\n", $1, $2 + $3, $4 }' <<<"$line"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
compare() {  # compare TITLE FOLDER OURS PEER_NAME PEER
  local dir
  dir=$(mktemp -d)
  for _ in $(seq 1 "$ROUNDS"); do
    read -r ow oc om <<<"$(measure "$2" "$3")"
    read -r pw pc pm <<<"$(measure "$2" "$5")"
    echo "$ow $oc" >>"$dir/ours"
    echo "$pw $pc" >>"$dir/peer"
    awk -v a="$ow" -v b="$pw" -v c="$oc" -v d="$pc" -v e="$om" -v f="$pm" \
      'BEGIN { printf "%f %f %f\n", a / b, c / d, e / f }' >>"$dir/ratios"
  done
  printf '  %-34s ours %6.2f s (CPU %6.2f)  %-14s %6.2f s (CPU %6.2f)  ratio wall %.2f CPU %.2f memory %.2f (goal <= 1.0)\n' \
    "$1" "$(cut -d' ' -f1 "$dir/ours" | median)" "$(cut -d' ' -f2 "$dir/ours" | median)" "$4" \
    "$(cut -d' ' -f1 "$dir/peer" | median)" "$(cut -d' ' -f2 "$dir/peer" | median)" \
    "$(cut -d' ' -f1 "$dir/ratios" | median)" "$(cut -d' ' -f2 "$dir/ratios" | median)" \
    "$(cut -d' ' -f3 "$dir/ratios" | median)"
  rm -rf "$dir"
}
echo "AVIF and HEIC, median of $ROUNDS rounds taking turns"
if section heif-write; then
compare "AVIF encode from JPEG, q 89" jpeg \
  "$one '$BUILD/pixtrel-batch' convert -q --jobs 1 --metadata strip --to avif --jpeg-quality 89 $JPEGS" \
  "avifenc" "for f in $JPEGS; do $one avifenc -j 1 -c aom -s 9 --min 12 --max 12 -y 420 -d 8 -r full --cicp 1/13/6 --ignore-icc --ignore-exif --ignore-xmp \$f \$f.avif >/dev/null; done"
compare "HEIC encode from JPEG, q 89" jpeg \
  "$one '$BUILD/pixtrel-batch' convert -q --jobs 1 --metadata strip --to heic --jpeg-quality 89 $JPEGS" \
  "heif-enc" "for f in $JPEGS; do $one heif-enc -q 51 -p preset=fast -p chroma=420 -p x265:pools=none -o \$f.heic \$f >/dev/null; done"
fi

# Phone-like HEIC photos: 4032x3024 in a grid of 8 x 6 tiles of 512x512, each tile coded alone.
section heif-read || exit 0
mkdir -p "$SET/heic" "$SET/tiles"
for i in $(seq 1 4); do
  [ -f "$SET/heic/phone$i.heic" ] && continue
  make_photo "$SET/tiles/phone$i.jpg" 4032 3024 "$((i + 60))"
  rm -f "$SET/tiles"/t-*
  convert "$SET/tiles/phone$i.jpg" -background black -extent 4096x3072 -crop 512x512 +repage \
    "$SET/tiles/t-%02d.png"
  for t in "$SET/tiles"/t-*.png; do heif-enc -q 80 -p preset=fast -o "${t%.png}.heic" "$t" >/dev/null; done
  python3 "$ROOT/bench/heif/make-grid.py" "$SET/heic/phone$i.heic" 4032 3024 512 "$SET/tiles"/t-*.heic
done
HEICS=$(list "$SET/heic")
compare "HEIC (tile grid) decode to JPEG q 90" heic \
  "for f in $HEICS; do '$BUILD/pixtrel-batch' convert -q --to jpg --jpeg-quality 90 --metadata strip \$f; done" \
  "heif-convert" "for f in $HEICS; do heif-convert -q 90 \$f \$f.jpg >/dev/null; done"
compare "HEIC (tile grid) batch to JPEG q 90" heic \
  "'$BUILD/pixtrel-batch' convert -q --to jpg --jpeg-quality 90 --metadata strip $HEICS" \
  "heif-convert" "for f in $HEICS; do heif-convert -q 90 \$f \$f.jpg >/dev/null; done"
