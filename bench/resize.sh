#!/usr/bin/env bash
# The whole resize command: pixtrel-batch resize-jpg --method better --pixels 800 over a folder of
# large photos (baseline and progressive), against libvips (vips resize --kernel lanczos3 run per
# file), ImageMagick (mogrify -filter Lanczos -resize 800x800 -quality 89) and the decode floor
# (djpeg -dct float of the same files). Prints wall time, peak memory and the ratios.
# Targets: at most 0.6x libvips' time and 0.3x ImageMagick's; at most 1.8x the decode floor;
# peak memory no more than libvips' on the largest file. Also resize-gif and resize-bmp against
# ImageMagick on the same pictures.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert mogrify vips djpeg /usr/bin/time
[ -x "$BUILD/pixtrel-batch" ] || { echo "build first: scripts/test or scripts/run" >&2; exit 1; }

SET="$WORK/resize"
mkdir -p "$SET/jpeg"
for i in $(seq 1 7); do make_photo "$SET/jpeg/photo$i.jpg" 3640 2400 "$((i + 20))"; done
for i in $(seq 8 10); do make_photo "$SET/jpeg/photo$i.jpg" 3640 2400 "$((i + 20))" -interlace Plane; done
make_photo "$SET/jpeg/photo11.jpg" 5472 3648 31
FILES=$(cd "$SET/jpeg" && ls photo*.jpg | tr '\n' ' ')
LARGEST=photo11.jpg

# fresh_copy: mogrify works in place, so every run gets its own copy of the set.
run_in_copy() {  # run_in_copy CMD: CMD runs in a fresh copy of the set
  echo "rm -rf '$SET/run' && cp -r '$SET/jpeg' '$SET/run' && cd '$SET/run' && $1"
}
copy_only=$(best_seconds "$(run_in_copy true)")
t_ours=$(best_seconds "$(run_in_copy "'$BUILD/pixtrel-batch' resize-jpg -q --method better --pixels 800 $FILES")")
t_vips=$(best_seconds "$(run_in_copy "for f in $FILES; do vips resize \$f vips-\$f[Q=89] \$(vipsheader -f width \$f | awk '{ print 800 / \$1 }') --kernel lanczos3; done")")
t_im=$(best_seconds "$(run_in_copy "mogrify -filter Lanczos -resize 800x800 -quality 89 $FILES")")
t_floor=$(best_seconds "cd '$SET/jpeg' && for f in $FILES; do djpeg -dct float -outfile /dev/null \$f; done")
net() { awk -v t="$1" -v c="$copy_only" 'BEGIN { v = t - c; if (v < 0.001) v = 0.001; printf "%.3f", v }'; }
t_ours=$(net "$t_ours"); t_vips=$(net "$t_vips"); t_im=$(net "$t_im")

peak_kb() { /usr/bin/time -f %M bash -c "$1" 2>&1 >/dev/null | tail -1; }
rm -rf "$SET/run" && cp -r "$SET/jpeg" "$SET/run"
m_ours=$(peak_kb "cd '$SET/run' && '$BUILD/pixtrel-batch' resize-jpg -q --pixels 800 $LARGEST")
m_vips=$(peak_kb "cd '$SET/run' && vips resize $LARGEST vips-$LARGEST[Q=89] 0.1462 --kernel lanczos3")
m_im=$(peak_kb "cd '$SET/run' && mogrify -filter Lanczos -resize 800x800 -quality 89 $LARGEST")

echo "resize-jpg, Better, 800 pixels: 10 photos 3640x2400 (3 progressive) + 1 of 5472x3648, best of $REPEAT"
printf '%-34s %8s  %s\n' "pixtrel-batch resize-jpg" "${t_ours} s" ""
printf '%-34s %8s  ratio %s (target <= 0.6)\n' "vips resize, per file" "${t_vips} s" "$(ratio "$t_ours" "$t_vips")"
printf '%-34s %8s  ratio %s (target <= 0.3)\n' "mogrify -filter Lanczos" "${t_im} s" "$(ratio "$t_ours" "$t_im")"
printf '%-34s %8s  ratio %s (target <= 1.8)\n' "djpeg -dct float (decode floor)" "${t_floor} s" "$(ratio "$t_ours" "$t_floor")"
echo "peak memory on $LARGEST: pixtrel ${m_ours} KiB, vips ${m_vips} KiB (ratio $(ratio "$m_ours" "$m_vips"), target <= 1), ImageMagick ${m_im} KiB"

# The same two runs taking turns, round after round: medians of the per-round ratios, wall and CPU.
PREPARE="rm -rf '$SET/run' && cp -r '$SET/jpeg' '$SET/run'" rounds \
  "pixtrel-batch resize-jpg / vips resize, taking turns" "<= 0.6" \
  "cd '$SET/run' && '$BUILD/pixtrel-batch' resize-jpg -q --method better --pixels 800 $FILES" \
  "cd '$SET/run' && for f in $FILES; do vips resize \$f vips-\$f[Q=89] \$(vipsheader -f width \$f | awk '{ print 800 / \$1 }') --kernel lanczos3; done"

# GIF and BMP: the same pictures in those formats, against ImageMagick.
mkdir -p "$SET/gif" "$SET/bmp"
for i in 1 2 3; do
  [ -f "$SET/gif/photo$i.gif" ] || convert "$SET/jpeg/photo$i.jpg" +dither -remap netscape: "$SET/gif/photo$i.gif"
  [ -f "$SET/bmp/photo$i.bmp" ] || convert "$SET/jpeg/photo$i.jpg" -type TrueColor "BMP3:$SET/bmp/photo$i.bmp"
done
for kind in gif bmp; do
  files="photo1.$kind photo2.$kind photo3.$kind"
  ours=$(best_seconds "cd '$SET/$kind' && '$BUILD/pixtrel-batch' resize-$kind -q --pixels 800 $files")
  im=$(best_seconds "cd '$SET/$kind' && for f in $files; do convert \$f -filter Lanczos -resize 800x800 im-\$f; done")
  echo "resize-$kind, 3 pictures 3640x2400: pixtrel ${ours} s, ImageMagick ${im} s, ratio $(ratio "$ours" "$im")"
done
rm -rf "$SET/run"
