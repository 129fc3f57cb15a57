#!/usr/bin/env bash
# One pass from large photos to the size and format people ask for: pixtrel-batch process (its
# default fast method) against sharp (npm, installed into bench/work when node is present; its
# default shrink-on-load), vipsthumbnail and mogrify, each turning the photos upright and writing
# the long side at 1600 pixels as JPEG 89 and as WebP 80. All in the same run, the tools taking
# turns round after round; printed: the median over the rounds of each round's ratio, for wall
# time, CPU time (user + system) and peak memory. Then, on the same photos:
# - process --method better and the classic resize-jpg against the full-decode floor
#   (djpeg -dct float);
# - photos tagged orientation 6 against the same photos tagged 1;
# - one pass to WebP against two (resize-jpg, then convert --to webp);
# - a target file size (--max-size 300k) against ImageMagick's -define jpeg:extent;
# - 2,000 small JPEGs to 200 pixels against Pillow, sharp and vipsthumbnail.
# Goals: fast <= 0.8x sharp in wall and CPU time, <= 0.4x vipsthumbnail, <= 0.15x mogrify, peak
# memory <= 0.5x sharp's; better and resize-jpg <= 1.2x the floor; orientation 6 <= 1.05x
# orientation 1; one pass >= 1.7x faster than two; small files <= 0.5x Pillow.
# The photos: four fractal-plasma photos with fine noise (bench/lib.sh's make_photo) at 12, 16,
# 20 and 24 megapixels, and from each of them nine more, rolled by a different offset, some
# mirrored, and stored again at JPEG quality 85 to 94, so no two of the 40 files are alike. Every
# fourth photo is tagged orientation 6, as phones store portrait photos.
# PIXTREL_BENCH_PHOTOS (default 40) and PIXTREL_BENCH_ROUNDS (default 7) make it shorter;
# PIXTREL_BENCH_QUICK=1 is the quick mode for working on it: 8 photos, 3 rounds, and only the
# fast method to JPEG (against sharp and vipsthumbnail), orientation 6 and the small files
# (500 of them, against Pillow). PIXTREL_BENCH_SECTIONS picks sections from: fast better
# orientation webp maxsize small; PIXTREL_BENCH_TARGETS the formats of the fast section (jpg webp)
# and PIXTREL_BENCH_SMALL_PEERS the peers of the small files (Pillow sharp vipsthumbnail).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert mogrify vipsthumbnail djpeg exiftool /usr/bin/time
[ -x "$BUILD/pixtrel-batch" ] || { echo "build first: scripts/test or scripts/run" >&2; exit 1; }
QUICK="${PIXTREL_BENCH_QUICK:-}"
PHOTOS="${PIXTREL_BENCH_PHOTOS:-$([ -n "$QUICK" ] && echo 8 || echo 40)}"
ROUNDS="${PIXTREL_BENCH_ROUNDS:-$([ -n "$QUICK" ] && echo 3 || echo 7)}"
SMALL="$([ -n "$QUICK" ] && echo 500 || echo 2000)"
SMALL_PEERS="${PIXTREL_BENCH_SMALL_PEERS:-$([ -n "$QUICK" ] && echo Pillow ||
  echo "Pillow sharp vipsthumbnail")}"
SECTIONS="${PIXTREL_BENCH_SECTIONS:-$([ -n "$QUICK" ] && echo "fast orientation small" ||
  echo "fast better orientation webp maxsize small")}"
section() { [[ " $SECTIONS " == *" $1 "* ]]; }
BATCH="$BUILD/pixtrel-batch"

SET="$WORK/process"
mkdir -p "$SET/photos" "$SET/upright"
sizes=(4000x3000 4896x3264 5472x3648 6000x4000)
for i in $(seq 1 "$PHOTOS"); do
  f="$SET/photos/p$i.jpg"
  [ -f "$f" ] && continue
  if [ "$i" -le 4 ]; then
    size=${sizes[$((i % 4))]}
    make_photo "$f" "${size%x*}" "${size#*x}" "$((i + 100))"
  else
    base="$SET/photos/p$(((i - 1) % 4 + 1)).jpg"
    v=$(((i - 1) / 4))
    mirror=$([ $((v % 2)) -eq 1 ] && echo -flop || true)
    convert "$base" -roll "+$((v * 397))+$((v * 211))" $mirror -quality $((85 + v)) "$f"
  fi
  exiftool -q -overwrite_original -n -Orientation=$([ $((i % 4)) -eq 1 ] && echo 6 || echo 1) "$f"
done
FILES=$(for i in $(seq 1 "$PHOTOS"); do printf 'p%d.jpg ' "$i"; done)

# sharp, when node can have it.
SHARP=""
if command -v node >/dev/null; then
  mkdir -p "$WORK/node"
  if [ ! -d "$WORK/node/node_modules/sharp" ]; then
    (cd "$WORK/node" && npm install --no-audit --no-fund sharp >/dev/null 2>&1) || true
  fi
  if [ -d "$WORK/node/node_modules/sharp" ]; then
    SHARP="$WORK/node/sharp-run.js"
    cat >"$SHARP" <<'JS'
// node sharp-run.js FORMAT SIDE OUT FILE...: every file turned upright, fitted in SIDE x SIDE and
// written as FORMAT (jpeg 89 or webp 80), as many at once as sharp's thread pool takes.
const sharp = require("sharp");
const path = require("path");
const [format, side, out, ...files] = process.argv.slice(2);
const options = format === "jpeg" ? { quality: 89 } : { quality: 80 };
Promise.all(files.map((f) => sharp(f).rotate()
  .resize(+side, +side, { fit: "inside", kernel: "lanczos3" })[format](options)
  .toFile(path.join(out, path.basename(f, ".jpg") + "." + (format === "jpeg" ? "jpg" : "webp")))))
  .catch((e) => { console.error(e); process.exit(1); });
JS
    export NODE_PATH="$WORK/node/node_modules"
  fi
fi
[ -n "$SHARP" ] || echo "bench: sharp could not be installed (no node or no npm registry): left out"

# measure CMD: runs CMD once in a fresh output folder $SET/out; prints "wall cpu peak_kib".
measure() {
  rm -rf "$SET/out" && mkdir -p "$SET/out"
  local line
  line=$(cd "$SET/photos" && /usr/bin/time -f "%e %U %S %M" bash -c "$1" 2>&1 >/dev/null | tail -1)
  awk '{ printf "%.3f %.3f %d\n", $1, $2 + $3, $4 }' <<<"$line"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# compare NAME OURS_CMD PEER_NAME PEER_CMD...: rounds in turn; medians of per-round ratios.
compare() {
  local title="$1" ours="$2"
  shift 2
  local -a names=() cmds=()
  while [ $# -gt 0 ]; do names+=("$1"); cmds+=("$2"); shift 2; done
  local dir
  dir=$(mktemp -d)
  for _ in $(seq 1 "$ROUNDS"); do
    read -r ow oc om <<<"$(measure "$ours")"
    echo "$ow $oc $om" >>"$dir/ours"
    for k in "${!cmds[@]}"; do
      read -r pw pc pm <<<"$(measure "${cmds[$k]}")"
      awk -v a="$ow" -v b="$pw" -v c="$oc" -v d="$pc" -v e="$om" -v f="$pm" \
        'BEGIN { printf "%f %f %f\n", a / b, c / d, e / f }' >>"$dir/$k"
    done
  done
  printf '%s (%s rounds; ours: median wall %s s, CPU %s s, peak %s MiB)\n' "$title" "$ROUNDS" \
    "$(cut -d' ' -f1 "$dir/ours" | median)" "$(cut -d' ' -f2 "$dir/ours" | median)" \
    "$(cut -d' ' -f3 "$dir/ours" | median | awk '{ printf "%.0f", $1 / 1024 }')"
  for k in "${!cmds[@]}"; do
    printf '  against %-28s wall %.2f  CPU %.2f  memory %.2f\n' "${names[$k]}" \
      "$(cut -d' ' -f1 "$dir/$k" | median)" "$(cut -d' ' -f2 "$dir/$k" | median)" \
      "$(cut -d' ' -f3 "$dir/$k" | median)"
  done
  rm -rf "$dir"
}

if section fast; then
echo "$PHOTOS photos of 12 to 24 megapixels (every fourth tagged orientation 6), $(nproc) cores"
targets="${PIXTREL_BENCH_TARGETS:-jpg webp}"
[ -n "$QUICK" ] && targets=jpg
for target in $targets; do
  if [ "$target" = jpg ]; then q="--quality 89"; vq="[Q=89]"; mq="-quality 89"; sf=jpeg
  else q="--quality 80"; vq="[Q=80]"; mq="-quality 80"; sf=webp; fi
  peers=()
  [ -n "$SHARP" ] && peers+=("sharp" "node '$SHARP' $sf 1600 '$SET/out' $FILES")
  peers+=("vipsthumbnail" "vipsthumbnail -s 1600x1600 -o '$SET/out/%s.$target$vq' $FILES")
  [ -z "$QUICK" ] && peers+=("mogrify" "mogrify -path '$SET/out' -auto-orient -filter Lanczos -resize 1600x1600 $mq -format $target $FILES")
  compare "process --size long:1600 --to $target (fast)" \
    "'$BATCH' process -q --size long:1600 --to $target $q --out '$SET/out' $FILES" "${peers[@]}"
done
echo "goals: sharp <= 0.8 wall and CPU, memory <= 0.5; vipsthumbnail <= 0.4; mogrify <= 0.15"
fi

if section better; then
# The full decode: our better method and the classic command against djpeg's float decode.
floor="for f in $FILES; do djpeg -dct float -outfile /dev/null \$f; done"
compare "process --method better, long:1600 JPEG" \
  "'$BATCH' process -q --method better --size long:1600 --to jpg --out '$SET/out' $FILES" \
  "djpeg -dct float (floor)" "$floor"
compare "resize-jpg --method better --pixels 1600" \
  "cp $FILES '$SET/out' && cd '$SET/out' && '$BATCH' resize-jpg -q --pixels 1600 $FILES" \
  "djpeg -dct float (floor)" "cp $FILES '$SET/out' && $floor"
echo "goals: <= 1.2 against the floor"
fi

if section orientation; then
# Orientation: the same photos, every one tagged 6 against every one tagged 1.
for f in $FILES; do
  for o in 1 6; do
    [ -f "$SET/upright/o$o-$f" ] || { cp "$SET/photos/$f" "$SET/upright/o$o-$f" &&
      exiftool -q -overwrite_original -n -Orientation=$o "$SET/upright/o$o-$f"; }
  done
done
compare "orientation 6 against 1, process long:1600 JPEG" \
  "'$BATCH' process -q --size long:1600 --to jpg --out '$SET/out' ../upright/o6-*" \
  "the same tagged 1" "'$BATCH' process -q --size long:1600 --to jpg --out '$SET/out' ../upright/o1-*"
echo "goal: <= 1.05"
fi

if section webp; then
compare "one pass to WebP 80 (process)" \
  "'$BATCH' process -q --size long:1600 --to webp --quality 80 --out '$SET/out' $FILES" \
  "two passes (resize-jpg, convert)" \
  "cp $FILES '$SET/out' && cd '$SET/out' && '$BATCH' resize-jpg -q --pixels 1600 --save overwrite --yes $FILES && '$BATCH' convert -q --to webp --jpeg-quality 80 $FILES"
echo "goal: <= 0.59 (one pass 1.7x faster)"
fi

if section maxsize; then
# A target file size: long side 1600 at most 300 KB, against ImageMagick's JPEG extent search.
compare "process --max-size 300k, long:1600 JPEG" \
  "'$BATCH' process -q --size long:1600 --to jpg --max-size 300k --out '$SET/out' $FILES" \
  "mogrify -define jpeg:extent=300kb" \
  "mogrify -path '$SET/out' -auto-orient -filter Lanczos -resize 1600x1600 -define jpeg:extent=300kb $FILES"
echo "goal: faster than ImageMagick (below 1)"
fi

if section small; then
# Many small files: the per-file costs (opening, syncing, naming).
SMALLDIR="$SET/small$SMALL"
mkdir -p "$SMALLDIR"
if [ ! -f "$SMALLDIR/s$SMALL.jpg" ]; then
  make_photo "$SMALLDIR/base.jpg" 640 480 7
  for i in $(seq 1 "$SMALL"); do cp "$SMALLDIR/base.jpg" "$SMALLDIR/s$i.jpg"; done
  rm "$SMALLDIR/base.jpg"
fi
small_peers=()
[[ " $SMALL_PEERS " == *" Pillow "* ]] && command -v /usr/bin/python3 >/dev/null && /usr/bin/python3 -c "import PIL" 2>/dev/null &&
  small_peers+=("Pillow" "cd '$SMALLDIR' && /usr/bin/python3 -c \"
import glob
from PIL import Image
for f in glob.glob('s*.jpg'):
    im = Image.open(f); im.thumbnail((200, 200), Image.LANCZOS); im.save('$SET/out/' + f, quality=89)\"")
[[ " $SMALL_PEERS " == *" sharp "* ]] && [ -n "$SHARP" ] && small_peers+=("sharp" "cd '$SMALLDIR' && node '$SHARP' jpeg 200 '$SET/out' s*.jpg")
[[ " $SMALL_PEERS " == *" vipsthumbnail "* ]] && small_peers+=("vipsthumbnail" "cd '$SMALLDIR' && vipsthumbnail -s 200x200 -o '$SET/out/%s.jpg[Q=89]' s*.jpg")
compare "$SMALL small JPEGs to 200 pixels" \
  "cd '$SMALLDIR' && '$BATCH' process -q --size long:200 --to jpg --quality 89 --out '$SET/out' ." \
  "${small_peers[@]}"
echo "goal: <= 0.5 against Pillow"
fi
rm -rf "$SET/out"
