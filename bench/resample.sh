#!/usr/bin/env bash
# Lanczos3 resampling and quarter turns of a 3640 x 2400 photo-like picture. Our times are taken
# inside pixtrel-imaging-bench (picture decoded once, outside the timing); the peers' are whole
# commands on the same picture: vips on its own .v format, ImageMagick on PPM.
# Targets: resampling to 800 at most 0.3x the vips command; a quarter turn at least a quarter of
# the speed of memcpy of the same bytes.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert vips
BENCH="$BUILD/pixtrel-imaging-bench"
[ -x "$BENCH" ] || { echo "build first: pixtrel-imaging-bench in $BUILD" >&2; exit 1; }

SET="$WORK/imaging"
mkdir -p "$SET"
make_photo "$SET/photo.bmp" 3640 2400 7 -type TrueColor
[ -f "$SET/photo.ppm" ] || convert "$SET/photo.bmp" "$SET/photo.ppm"
[ -f "$SET/photo.v" ] || vips copy "$SET/photo.bmp" "$SET/photo.v"
cd "$SET"

ms() { awk -v s="$1" 'BEGIN { printf "%.1f", s * 1000 }'; }

echo "Lanczos3 resize of 3640x2400, best of $REPEAT, ms (ratio: ours / peer, lower is faster)"
printf '%-6s %-10s %8s %8s %8s %8s %10s %13s\n' side size ours whole vips convert "ours/vips" \
  "ours/convert"
for side in 800 1600 6000; do
  read -r _ _ size ours < <("$BENCH" resample photo.bmp "$side")
  read -r _ _ whole < <("$BENCH" whole photo.bmp "$side" out.bmp)
  scale=$(awk -v n="$side" 'BEGIN { printf "%.9f", n / 3640 }')
  vips_ms=$(ms "$(best_seconds "vips resize photo.v out.v $scale --kernel lanczos3")")
  im_ms=$(ms "$(best_seconds "convert photo.ppm -filter Lanczos -resize ${side}x${side} out.ppm")")
  printf '%-6s %-10s %8s %8s %8s %8s %10s %13s\n' "$side" "$size" "$ours" "$whole" "$vips_ms" \
    "$im_ms" "$(ratio "$ours" "$vips_ms")" "$(ratio "$ours" "$im_ms")"
done
echo "ours: ResampleBitmap alone; whole: read the BMP, resample, write a BMP (target for 800: ours/vips <= 0.3)"

echo
echo "Quarter turns of the same picture, best of runs, ms (speed: memcpy time / turn time)"
out=$("$BENCH" rotate photo.bmp)
copy=$(awk '$1 == "memcpy-fresh" { print $2 }' <<<"$out")
echo "memcpy of the same bytes into a new buffer: $copy"
for angle in 90 180 270; do
  t=$(awk -v a="$angle" '$1 == "rotate" && $2 == a { print $3 }' <<<"$out")
  echo "Rotate90($angle): $t   speed $(ratio "$copy" "$t") (target >= 0.25)"
done
echo "vips rot d90, whole command: $(ms "$(best_seconds "vips rot photo.v rot.v d90")")"
rm -f out.bmp out.v out.ppm rot.v
