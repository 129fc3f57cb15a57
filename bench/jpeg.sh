#!/usr/bin/env bash
# Re-encoding cost: pixtrel-batch quality and greyscale over a set of large photos, against
# decoding the same files with djpeg -dct float (the decode floor). Target: at most 2.5x.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert djpeg
[ -x "$BUILD/pixtrel-batch" ] || { echo "build first: scripts/test or scripts/run" >&2; exit 1; }

SET="$WORK/jpeg"
mkdir -p "$SET"
for i in 1 2 3 4; do make_photo "$SET/photo$i.jpg" 3640 2400 "$i"; done
for i in 5 6; do make_photo "$SET/photo$i.jpg" 3640 2400 "$i" -interlace Plane; done
FILES=$(cd "$SET" && ls photo*.jpg | tr '\n' ' ')

decode=$(best_seconds "cd '$SET' && for f in $FILES; do djpeg -dct float -outfile /dev/null \$f; done")
quality=$(best_seconds "cd '$SET' && '$BUILD/pixtrel-batch' quality -q --quality 70 $FILES")
grey=$(best_seconds "cd '$SET' && '$BUILD/pixtrel-batch' greyscale -q $FILES")
rm -f "$SET"/q-* "$SET"/bw-*

echo "6 photos 3640x2400 (4 baseline, 2 progressive)"
echo "djpeg -dct float decode:      ${decode} s"
echo "pixtrel-batch quality:        ${quality} s   ratio $(ratio "$quality" "$decode") (target <= 2.5)"
echo "pixtrel-batch greyscale:      ${grey} s   ratio $(ratio "$grey" "$decode") (target <= 2.5)"
