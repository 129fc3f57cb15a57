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
export QT_QPA_PLATFORM=offscreen
for photo in photo24.jpg photo24-progressive.jpg; do
  echo "$photo, best of 5:"
  "$BUILD/pixtrel-preview-bench" "$SET/$photo" 5 2>/dev/null | sed 's/^/  /'
done
