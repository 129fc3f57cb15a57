#!/usr/bin/env bash
# PNG photos to 1600-pixel PNGs: pixtrel-batch process --size long:1600 --to png against sharp
# (npm, installed into bench/work/node when node is present) fitting the same photos in
# 1600 x 1600 with its default PNG settings, as many at once as each takes. The two take turns,
# round after round; printed: the median over the rounds of each round's ratio, for wall and CPU
# time (user + system), and the ratio of the output sizes. Goal: at most 1.0x sharp's time at
# most 1.05x its file size.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert node /usr/bin/time
[ -x "$BUILD/pixtrel-batch" ] || { echo "build first: scripts/test or scripts/run" >&2; exit 1; }
ROUNDS="${PIXTREL_BENCH_ROUNDS:-5}"

SET="$WORK/png"
mkdir -p "$SET/photos"
sizes=(4000x3000 3640x2400 4896x3264)
for i in $(seq 1 12); do
  f="$SET/photos/p$i.png"
  if [ ! -f "$f" ]; then
    size=${sizes[$((i % 3))]}
    make_photo "$SET/p$i.jpg" "${size%x*}" "${size#*x}" "$((i + 200))"
    convert "$SET/p$i.jpg" -depth 8 "$f"
    rm -f "$SET/p$i.jpg"
  fi
done
FILES=$(cd "$SET/photos" && ls p*.png | sort -V | tr '\n' ' ')

mkdir -p "$WORK/node"
if [ ! -d "$WORK/node/node_modules/sharp" ]; then
  (cd "$WORK/node" && npm install --no-audit --no-fund sharp >/dev/null 2>&1) ||
    { echo "bench: sharp could not be installed (no npm registry)" >&2; exit 1; }
fi
cat >"$WORK/node/sharp-png.js" <<'JS'
// node sharp-png.js SIDE OUT FILE...: every file fitted in SIDE x SIDE, written as PNG.
const sharp = require("sharp");
const path = require("path");
const [side, out, ...files] = process.argv.slice(2);
Promise.all(files.map((f) => sharp(f).resize(+side, +side, { fit: "inside" }).png()
  .toFile(path.join(out, path.basename(f)))))
  .catch((e) => { console.error(e); process.exit(1); });
JS
export NODE_PATH="$WORK/node/node_modules"

ours_cmd="cd '$SET/photos' && '$BUILD/pixtrel-batch' process -q --size long:1600 --to png --out '$SET/ours' $FILES"
sharp_cmd="cd '$SET/photos' && node '$WORK/node/sharp-png.js' 1600 '$SET/sharp' $FILES"

echo "PNG -> 1600 px PNG: 12 photos of 12 to 16 megapixels, $ROUNDS rounds (machine: $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
: >"$SET/rounds"
for round in $(seq "$ROUNDS"); do
  rm -rf "$SET/ours" "$SET/sharp" && mkdir -p "$SET/ours" "$SET/sharp"
  read -r sw sc <<<"$(measure "$sharp_cmd")"
  read -r ow oc <<<"$(measure "$ours_cmd")"
  echo "$ow $oc $sw $sc" >>"$SET/rounds"
  printf '  round %d: pixtrel %s s (cpu %s)  sharp %s s (cpu %s)  ratio %s (cpu %s)\n' \
    "$round" "$ow" "$oc" "$sw" "$sc" "$(ratio "$ow" "$sw")" "$(ratio "$oc" "$sc")"
done
ours_bytes=$(cat "$SET"/ours/*.png | wc -c)
sharp_bytes=$(cat "$SET"/sharp/*.png | wc -c)
echo "median over rounds: pixtrel / sharp: wall $(median_ratio "$SET/rounds" 1 3)  cpu $(median_ratio "$SET/rounds" 2 4) (target <= 1.0)"
echo "output size: pixtrel $ours_bytes bytes, sharp $sharp_bytes bytes, ratio $(ratio "$ours_bytes" "$sharp_bytes") (target <= 1.05)"
