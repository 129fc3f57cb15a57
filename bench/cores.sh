#!/usr/bin/env bash
# How the batch uses the cores: a 40-photo resize batch (resize-jpg, Better, 800 pixels) with
# pixtrel-batch pinned by taskset to 1, 2 (and 4, 8 where the machine has them) cores, the
# speed-up printed against one core (target >= 1.8x from 1 to 2 cores); the same batch from
# the window (offscreen) against pixtrel-batch (target <= 1.1x) and the longest its event loop
# went without turning meanwhile (Stop, Esc and repaints wait that long; target <= 100 ms);
# vipsthumbnail -s 800 on the same photos beside us (target: our time <= 0.5x its time); and the
# time the window takes to list a folder of 10,000 pictures (target <= 1 s).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need convert vipsthumbnail taskset
[ -x "$BUILD/pixtrel-batch" ] || { echo "build first: scripts/test or scripts/run" >&2; exit 1; }

SET="$WORK/cores"
mkdir -p "$SET/photos"
for i in $(seq 10 49); do make_photo "$SET/photos/p$i.jpg" 2400 1600 "$i"; done
FILES=$(cd "$SET/photos" && ls p*.jpg | tr '\n' ' ')
CORES=$(nproc)

run_in_copy() {  # a fresh copy of the photos for every run, so outputs never pile up
  echo "rm -rf '$SET/run' && cp -r '$SET/photos' '$SET/run' && cd '$SET/run' && $1"
}
copy_only=$(best_seconds "$(run_in_copy true)")
net() { awk -v t="$1" -v c="$copy_only" 'BEGIN { v = t - c; if (v < 0.001) v = 0.001; printf "%.3f", v }'; }

echo "resize-jpg, Better, 800 pixels: 40 photos 2400x1600, best of $REPEAT (machine: $CORES cores, load $(cut -d' ' -f1 /proc/loadavg))"
t1=""
for n in 1 2 4 8; do
  [ "$n" -le "$CORES" ] || break
  t=$(net "$(best_seconds "$(run_in_copy "taskset -c 0-$((n - 1)) '$BUILD/pixtrel-batch' resize-jpg -q --pixels 800 $FILES")")")
  [ -n "$t1" ] || t1=$t
  printf '  %d core(s): %8s s  speed-up %sx%s\n' "$n" "$t" "$(ratio "$t1" "$t")" \
    "$([ "$n" -eq 2 ] && echo ' (target >= 1.8)')"
done
t_all=$(net "$(best_seconds "$(run_in_copy "'$BUILD/pixtrel-batch' resize-jpg -q --pixels 800 $FILES")")")
t_one_job=$(net "$(best_seconds "$(run_in_copy "'$BUILD/pixtrel-batch' resize-jpg -q --jobs 1 --pixels 800 $FILES")")")
printf '  all cores: %s s; --jobs 1: %s s\n' "$t_all" "$t_one_job"
if [ "$CORES" -ge 2 ]; then
  # The same two runs taking turns, round after round: the median of each round's ratio of one
  # core's time to two cores' (the speed-up; CPU time shows what the second core costs).
  PREPARE="rm -rf '$SET/run' && cp -r '$SET/photos' '$SET/run'" rounds \
    "1 core / 2 cores (speed-up; target >= 1.8)" "" \
    "cd '$SET/run' && taskset -c 0 '$BUILD/pixtrel-batch' resize-jpg -q --pixels 800 $FILES" \
    "cd '$SET/run' && taskset -c 0-1 '$BUILD/pixtrel-batch' resize-jpg -q --pixels 800 $FILES"
fi

if [ -x "$BUILD/pixtrel-window-bench" ]; then
  export XDG_CONFIG_HOME="$WORK/cores-config" QT_QPA_PLATFORM=offscreen
  mkdir -p "$XDG_CONFIG_HOME"
  best="" gap=0
  for _ in $(seq "$REPEAT"); do
    rm -rf "$SET/run" && cp -r "$SET/photos" "$SET/run"
    read -r t _ g < <("$BUILD/pixtrel-window-bench" resize "$SET/run" 800 2>/dev/null)
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
    [ "$g" -gt "$gap" ] && gap=$g
  done
  printf '  the window, same batch: %s s  ratio %s (target <= 1.1)\n' "$best" "$(ratio "$best" "$t_all")"
  printf '  the window answered within %s ms throughout the batch (longest event-loop gap of %s runs;' \
    "$gap" "$REPEAT"
  printf ' target <= 100)\n'
fi

t_vips=$(net "$(best_seconds "$(run_in_copy "vipsthumbnail -s 800 -o 'vt-%s.jpg[Q=89]' $FILES")")")
printf '  vipsthumbnail -s 800: %s s  ratio %s (ours over its; target <= 0.5)\n' \
  "$t_vips" "$(ratio "$t_all" "$t_vips")"
PREPARE="rm -rf '$SET/run' && cp -r '$SET/photos' '$SET/run'" rounds \
  "pixtrel-batch / vipsthumbnail -s 800, taking turns" "<= 0.5" \
  "cd '$SET/run' && '$BUILD/pixtrel-batch' resize-jpg -q --pixels 800 $FILES" \
  "cd '$SET/run' && vipsthumbnail -s 800 -o 'vt-%s.jpg[Q=89]' $FILES"

if [ -x "$BUILD/pixtrel-window-bench" ]; then
  BIG="$WORK/cores-10000"
  if [ ! -d "$BIG" ]; then
    mkdir -p "$BIG"
    convert -size 16x12 xc:gray "$BIG/seed.jpg"
    for i in $(seq 10000 19999); do cp "$BIG/seed.jpg" "$BIG/n$i.jpg"; done
    rm "$BIG/seed.jpg"
  fi
  best=""
  for _ in $(seq "$REPEAT"); do
    t=$("$BUILD/pixtrel-window-bench" list "$BIG" 2>/dev/null | awk '{ print $1 }')
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  printf 'listing a folder of 10,000 pictures in the window: %s s (target <= 1)\n' "$best"
fi
rm -rf "$SET/run"
