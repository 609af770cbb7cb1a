#!/usr/bin/env bash
# Start-up time: from exec to the first presented frame, for the game and for
# a bare SDL window with an OpenGL context (bench/bare_window.cpp), run one
# after the other several times under a virtual X server with Mesa's software
# renderer. Prints each run, the medians and the game's median over the bare
# window's. The game stamps its first Present when GO3D_EXIT_AFTER_FIRST_FRAME
# is set (platform/d3d/first_frame.h) and then ends.
#
#   bench/startup.sh [runs] [preset]     (default: 15 runs, the release preset)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUNS="${1:-15}"
PRESET="${2:-release}"

if [ -z "${GO3D_STARTUP_UNDER_X:-}" ]; then
  cd "$ROOT"
  [ -f "build/$PRESET/CMakeCache.txt" ] || cmake --preset "$PRESET" >/dev/null
  cmake --build --preset "$PRESET" -j4 --target go3d bare_window >/dev/null
  export GO3D_STARTUP_UNDER_X=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$RUNS" "$PRESET"
fi

export LIBGL_ALWAYS_SOFTWARE=1 SDL_VIDEODRIVER=x11 GO3D_MESSAGEBOX=stderr
GAME="$ROOT/build/$PRESET/game/go3d"
BARE="$ROOT/build/$PRESET/bench/bare_window"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Milliseconds from exec to the stamp the program prints at its first frame.
first_frame_ms() {
  local t0 stamp
  t0=$EPOCHREALTIME
  GO3D_EXIT_AFTER_FIRST_FRAME=1 "$@" 2>"$log" >/dev/null || true
  stamp=$(sed -n 's/^first frame presented at //p' "$log")
  if [ -z "$stamp" ]; then
    echo "no first frame from $1:" >&2
    cat "$log" >&2
    exit 1
  fi
  awk -v a="$t0" -v b="$stamp" 'BEGIN { printf "%.1f", (b - a) * 1000 }'
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2); print (NR % 2) ? v[m] : (v[m] + v[m + 1]) / 2 }'; }

# The game reads q3dinit.conf and data/ from its working directory.
cd "$ROOT"
first_frame_ms "$GAME" >/dev/null  # warm the file cache
first_frame_ms "$BARE" >/dev/null
game=() bare=()
for i in $(seq "$RUNS"); do
  t=$(first_frame_ms "$GAME")
  game+=("$t")
  t=$(first_frame_ms "$BARE")
  bare+=("$t")
  printf 'run %2d: game %7s ms  bare window %7s ms\n' "$i" "${game[-1]}" "${bare[-1]}"
done
g=$(median "${game[@]}")
b=$(median "${bare[@]}")
printf 'median: game %s ms, bare window %s ms, ratio %s\n' "$g" "$b" \
  "$(awk -v g="$g" -v b="$b" 'BEGIN { printf "%.2f", g / b }')"
