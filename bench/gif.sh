#!/usr/bin/env bash
# GIF conversions of a 3640 x 2400 photo-like picture, against ImageMagick and gifsicle.
#  - JPEG -> GIF: pixtrel-batch jpg2gif against `convert x.jpg +dither -remap netscape: x.gif`
#    (the same reduction to the Netscape palette without dithering). Target: at most 0.05x.
#  - GIF -> BMP: pixtrel-batch gif2bmp against `convert x.gif x.bmp`.
#  - GIF decode + encode: pixtrel-gif-bench (read, decode every frame, encode, write) against
#    `gifsicle -O0` re-encoding the same file. Target: no slower (ratio at most 1).
# Each comparison runs ours and the peer in turn, PIXTREL_BENCH_ROUNDS rounds (default 3); the
# medians of the per-round ratios are printed, for wall and CPU time (user + system).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert gifsicle
BATCH="$BUILD/pixtrel-batch"
BENCH="$BUILD/pixtrel-gif-bench"
[ -x "$BATCH" ] && [ -x "$BENCH" ] || { echo "build first: pixtrel-batch and pixtrel-gif-bench in $BUILD" >&2; exit 1; }

SET="$WORK/gif"
mkdir -p "$SET"
make_photo "$SET/photo.jpg" 3640 2400 7
cd "$SET"

[ -f photo.jpg.gif ] || "$BATCH" jpg2gif -q photo.jpg
echo "photo 3640x2400 ($(stat -c %s photo.jpg) bytes JPEG, $(stat -c %s photo.jpg.gif) bytes GIF)"
rounds "JPEG -> GIF, pixtrel-batch jpg2gif / ImageMagick -remap netscape:" "<= 0.05" \
  "cd '$SET' && '$BATCH' jpg2gif -q photo.jpg" \
  "cd '$SET' && convert photo.jpg +dither -remap netscape: magick.gif"
rounds "GIF -> BMP, pixtrel-batch gif2bmp / ImageMagick" "" \
  "cd '$SET' && '$BATCH' gif2bmp -q photo.jpg.gif" "cd '$SET' && convert photo.jpg.gif magick.bmp"
rounds "GIF decode + encode, pixtrel / gifsicle -O0" "<= 1" \
  "cd '$SET' && '$BENCH' photo.jpg.gif ours-again.gif" \
  "cd '$SET' && gifsicle -O0 photo.jpg.gif -o gifsicle-again.gif"

# The same file both ways: our re-encoding must decode to the same pixels.
if command -v compare >/dev/null; then
  diff=$(compare -metric AE ours-again.gif photo.jpg.gif null: 2>&1 || true)
  [ "$diff" = "0" ] || echo "warning: re-encoded GIF differs from its source ($diff pixels)" >&2
fi

"$BENCH" -v photo.jpg.gif ours-again.gif
