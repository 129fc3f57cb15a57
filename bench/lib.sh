# Shared by the benchmark scripts. Sourced, not run.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WORK="${PIXTREL_BENCH_WORK:-$ROOT/bench/work}"
BUILD="${PIXTREL_BUILD:-$ROOT/build}"
REPEAT="${PIXTREL_BENCH_REPEAT:-3}"
mkdir -p "$WORK"

need() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "bench: '$tool' is missing (Debian packages: imagemagick libvips-tools gifsicle" \
           "libjpeg-turbo-progs)" >&2
      exit 1
    fi
  done
}

# best_seconds CMD...: the fastest of REPEAT runs of a shell command, in seconds.
best_seconds() {
  local best="" start end t
  for _ in $(seq "$REPEAT"); do
    start=$(date +%s%N)
    bash -c "$*" >/dev/null 2>&1 || { echo "bench: failed: $*" >&2; exit 1; }
    end=$(date +%s%N)
    t=$(( end - start ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  awk -v ns="$best" 'BEGIN { printf "%.3f", ns / 1e9 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# Photo-like test pictures: fractal plasma with fine noise, so the codecs have detail to work on.
make_photo() {  # make_photo FILE WIDTH HEIGHT SEED [extra convert options]
  local file="$1" w="$2" h="$3" seed="$4"
  shift 4
  [ -f "$file" ] && return
  convert -seed "$seed" -size "${w}x${h}" plasma:fractal -blur 0x1 \
    \( -size "${w}x${h}" xc:gray50 +noise Gaussian -colorspace gray \) \
    -compose overlay -composite -quality 92 "$@" "$file"
}

# measure CMD: runs a shell command once and prints its wall and CPU (user + system, children
# included) seconds.
measure() {
  local log
  log=$(mktemp)
  /usr/bin/time -o "$log" -f '%e %U %S' bash -c "$*" >/dev/null 2>&1 ||
    { echo "bench: failed: $*" >&2; rm -f "$log"; exit 1; }
  awk '{ printf "%.3f %.3f", $1, $2 + $3 }' "$log"
  rm -f "$log"
}

# median_ratio FILE A B: the median over FILE's lines of field A divided by field B.
median_ratio() {
  awk -v a="$2" -v b="$3" '{ print $a / $b }' "$1" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR % 2) m = v[(NR + 1) / 2]; else m = (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.2f", m }'
}

# rounds TITLE TARGET CMD_A CMD_B: runs A and B in turn, PIXTREL_BENCH_ROUNDS times (default
# REPEAT), each round after PREPARE (a shell command, may be empty) when set; prints each round
# and the medians of the per-round ratios A / B for wall and CPU time (user + system).
rounds() {
  local title="$1" target="$2" a="$3" b="$4" n="${PIXTREL_BENCH_ROUNDS:-$REPEAT}" file
  file=$(mktemp)
  for _ in $(seq "$n"); do
    [ -z "${PREPARE:-}" ] || bash -c "$PREPARE"
    local ra rb
    ra=$(measure "$a")
    [ -z "${PREPARE:-}" ] || bash -c "$PREPARE"
    rb=$(measure "$b")
    echo "$ra $rb" >>"$file"
  done
  awk '{ printf "    round: %s s (cpu %s)  against %s s (cpu %s)\n", $1, $2, $3, $4 }' "$file"
  printf '  %s: wall %s  cpu %s%s  (median of %s rounds)\n' "$title" "$(median_ratio "$file" 1 3)" \
    "$(median_ratio "$file" 2 4)" "${target:+ (target $target)}" "$n"
  rm -f "$file"
}
