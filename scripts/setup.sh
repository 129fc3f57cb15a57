# Shared by scripts/run and scripts/test: installs the Debian packages the build needs and builds.
# Sourced, not run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Packages to build and run Pixtrel.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libjpeg62-turbo-dev qt6-base-dev libgl-dev
                libpng-dev libwebp-dev liblcms2-dev libheif-dev libavif-dev
                libturbojpeg0-dev libjxl-dev)
# Packages the tests use: GoogleTest, and the independent readers and writers that check our files.
TEST_PACKAGES=(googletest libgtest-dev imagemagick python3 python3-pil giflib-tools gifsicle
               libjpeg-turbo-progs xvfb xauth clang libclang-rt-14-dev
               openbox xdotool wmctrl x11-utils dpkg-dev desktop-file-utils appstream
               man-db groff-base time webp libimage-exiftool-perl colord-data
               libheif-examples libavif-bin clang-format pngcheck libgs-common
               libjxl-tools brotli)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the named Debian packages that are missing.
ensure_packages() {
  local missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "${missing[@]}"
  fi
}

# configure_into DIR [cmake options...]: configures the build folder (Ninja).
configure_into() {
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$dir" -G Ninja "$@"
}

# build_into DIR [cmake options...]: configures and builds everything, the tests included.
build_into() {
  configure_into "$@"
  cmake --build "$1" -j "$JOBS"
}

# The C++ sources tracked by git (or, outside a git checkout, every one under the root).
cpp_sources() {
  if git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$ROOT" ls-files -z -- '*.cpp' '*.h'
  else
    find "$ROOT" \( -path "$ROOT/build*" -o -path "$ROOT/.git" \) -prune -o \
      \( -name '*.cpp' -o -name '*.h' \) -print0
  fi
}

# Fails, naming the files, when a C++ source is not formatted as the root .clang-format says.
check_formatting() {
  (cd "$ROOT" && cpp_sources | xargs -0 clang-format --dry-run -Werror) || {
    echo "Some files are not formatted: run clang-format -i on the files named above." >&2
    return 1
  }
}
