#!/usr/bin/env bash
# What turning photos upright costs the JPEG resize: resize-jpg --pixels 800 on the same photos
# without an EXIF block, tagged with orientation 1, and tagged with orientation 6 (stored on their
# side, so every output is turned), against --ignore-orientation. Goal: at most 1.05x the time of
# the untagged photos.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert exiftool
[ -x "$BUILD/pixtrel-batch" ] || { echo "build first: scripts/test or scripts/run" >&2; exit 1; }

SET="$WORK/orientation"
mkdir -p "$SET/plain" "$SET/one" "$SET/six"
for i in $(seq 1 8); do
  make_photo "$SET/plain/p$i.jpg" 3000 2000 "$((i + 60))"
  for tag in one:1 six:6; do
    folder=${tag%%:*}
    [ -f "$SET/$folder/p$i.jpg" ] && continue
    cp "$SET/plain/p$i.jpg" "$SET/$folder/p$i.jpg"
    exiftool -q -overwrite_original "-Orientation#=${tag##*:}" -Make=Bench "$SET/$folder/p$i.jpg"
  done
done
FILES=$(cd "$SET/plain" && ls | tr '\n' ' ')
in_copy() { echo "rm -rf '$SET/run' && cp -r '$SET/$1' '$SET/run' && cd '$SET/run' && $2"; }
c=$(best_seconds "$(in_copy plain true)")
net() { awk -v t="$1" -v c="$c" 'BEGIN { v = t - c; if (v < 0.001) v = 0.001; printf "%.3f", v }'; }
time_of() { net "$(best_seconds "$(in_copy "$1" "'$BUILD/pixtrel-batch' resize-jpg -q --pixels 800 $2 $FILES")")"; }

plain=$(time_of plain "")
one=$(time_of one "")
six=$(time_of six "")
ignored=$(time_of six "--ignore-orientation")
echo "resize-jpg, 800 pixels, 8 photos of 3000x2000, best of $REPEAT"
printf '  no EXIF block:            %s s\n' "$plain"
printf '  orientation 1:            %s s  ratio %s (goal <= 1.05)\n' "$one" "$(ratio "$one" "$plain")"
printf '  orientation 6 (turned):   %s s  ratio %s (goal <= 1.05)\n' "$six" "$(ratio "$six" "$plain")"
printf '  orientation 6, ignored:   %s s  ratio %s\n' "$ignored" "$(ratio "$ignored" "$plain")"
