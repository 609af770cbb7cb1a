# Shared by scripts/play and scripts/test: package installation and the build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What building the game needs.
BUILD_PACKAGES=(
  cmake g++ make pkg-config
  libsdl2-dev libepoxy-dev libgl-dev libegl-dev libgl1-mesa-dri
  libjpeg62-turbo-dev libpng-dev zlib1g-dev
)
# What the tests need besides: GoogleTest, Google Benchmark, a virtual X server
# with input injection, and clang for the fuzz targets.
TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xfonts-base x11-utils xdotool
  clang libclang-rt-dev
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs whichever of the named Debian packages are not installed yet;
# a second run finds them all and installs nothing.
install_missing() {
  local missing=()
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
      missing+=("$p")
    fi
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# Configures (once) and builds one preset incrementally: everything, or the
# targets named after the preset.
build_preset() {
  local preset="$1"
  shift
  cd "$ROOT"
  if [ ! -f "build/$preset/CMakeCache.txt" ]; then
    cmake --preset "$preset"
  fi
  if [ "$#" -gt 0 ]; then
    cmake --build --preset "$preset" --target "$@"
  else
    cmake --build --preset "$preset"
  fi
}
