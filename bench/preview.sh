#!/usr/bin/env bash
# The preview's decode time for a 24-megapixel JPEG (6000x4000): a click on it in the file list
# until the preview holds its quarter-size picture, decoding at full size and shrinking (as the
# preview did before) against decoding straight to the size shown (target <= 0.1 s); and the
# viewer's full-size picture through the program's decoding and the display decoding.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert
[ -x "$BUILD/pixtrel-preview-bench" ] || { echo "build first: scripts/test or scripts/run" >&2; exit 1; }

SET="$WORK/preview"
mkdir -p "$SET"
make_photo "$SET/photo24.jpg" 6000 4000 24
make_photo "$SET/photo24-progressive.jpg" 6000 4000 24 -interlace Plane
# make_photo's files keep full colour resolution (4:4:4); most cameras halve it (4:2:0).
make_photo "$SET/photo24-420.jpg" 6000 4000 24 -sampling-factor 2x2
export QT_QPA_PLATFORM=offscreen
for photo in photo24.jpg photo24-progressive.jpg photo24-420.jpg; do
  echo "$photo, best of 5:"
  "$BUILD/pixtrel-preview-bench" "$SET/$photo" 5 2>/dev/null | sed 's/^/  /'
  if command -v djpeg >/dev/null; then
    # What the codec alone needs at an eighth of the size: the floor of any decoding of the file.
    t=$(best_seconds "djpeg -scale 1/8 -outfile /dev/null '$SET/$photo'")
    echo "  djpeg -scale 1/8 alone (the decoding floor): $t s"
  fi
done
