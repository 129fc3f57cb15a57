#!/usr/bin/env bash
# The classic quarter turn of 40 photos (pixtrel-batch rotate --turn right, decode, turn and
# re-encode at the default JPEG quality 89) against the floor of decoding and re-encoding the same
# photos with djpeg | cjpeg -quality 89, and against jpegtran -rotate 90 (lossless, no pixels).
# The peers run one process per photo, as many at once as there are cores. Each round runs all
# three, interleaved; the median of the per-round ratios is printed, for wall and CPU time
# (user + system). Target: at most 1.3x the djpeg | cjpeg floor.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert djpeg cjpeg jpegtran /usr/bin/time
[ -x "$BUILD/pixtrel-batch" ] || { echo "build first: scripts/test or scripts/run" >&2; exit 1; }

SET="$WORK/rotate"
mkdir -p "$SET/photos"
# Eight different photos, five copies of each: 40 files of 3640 x 2400.
for i in $(seq 1 8); do make_photo "$SET/seed$i.jpg" 3640 2400 "$((i + 60))"; done
for i in $(seq 1 8); do
  for k in 1 2 3 4 5; do
    [ -f "$SET/photos/p$i$k.jpg" ] || cp "$SET/seed$i.jpg" "$SET/photos/p$i$k.jpg"
  done
done
FILES=$(cd "$SET/photos" && ls p*.jpg | tr '\n' ' ')
CORES=$(nproc)
ROUNDS="${PIXTREL_BENCH_ROUNDS:-$REPEAT}"

floor_cmd="cd '$SET/photos' && ls p*.jpg | xargs -P $CORES -I{} sh -c 'djpeg {} | cjpeg -quality 89 > $SET/out/{}'"
tran_cmd="cd '$SET/photos' && ls p*.jpg | xargs -P $CORES -I{} jpegtran -rotate 90 -outfile $SET/out/{} {}"
ours_cmd="cd '$SET/photos' && '$BUILD/pixtrel-batch' rotate -q --turn right --save subfolder $FILES"

echo "rotate --turn right: 40 photos 3640x2400, $ROUNDS rounds (machine: $CORES cores, load $(cut -d' ' -f1 /proc/loadavg))"
: >"$SET/rounds"
for round in $(seq "$ROUNDS"); do
  line=""
  for what in floor tran ours; do
    rm -rf "$SET/out" "$SET/photos/vantro" && mkdir -p "$SET/out"
    cmd="${what}_cmd"
    line="$line $(measure "${!cmd}")"
  done
  echo "$line" >>"$SET/rounds"
  read -r fw fc tw tc ow oc <<<"$line"
  printf '  round %d: floor %s s (cpu %s)  jpegtran %s s (cpu %s)  pixtrel %s s (cpu %s)  ratio %s (cpu %s)\n' \
    "$round" "$fw" "$fc" "$tw" "$tc" "$ow" "$oc" "$(ratio "$ow" "$fw")" "$(ratio "$oc" "$fc")"
done
rm -rf "$SET/out" "$SET/photos/vantro"
echo "median over rounds:"
printf '  pixtrel / djpeg|cjpeg floor: wall %s  cpu %s (target <= 1.3)\n' \
  "$(median_ratio "$SET/rounds" 5 1)" "$(median_ratio "$SET/rounds" 6 2)"
printf '  pixtrel / jpegtran -rotate 90: wall %s  cpu %s\n' \
  "$(median_ratio "$SET/rounds" 5 3)" "$(median_ratio "$SET/rounds" 6 4)"
