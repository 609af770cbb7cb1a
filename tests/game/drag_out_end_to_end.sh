#!/usr/bin/env bash
# Right-drags that leave the window past each of its edges, the button let go
# outside: the camera turns and rises only by the motion inside the window,
# as though the window heard nothing beyond its edges. Skipped (77) without a
# display or xdotool.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/x_game.sh"
start_game "$1" "$2" GO3D_CAMERA=stderr

left=$X
top=$Y

# Presses at the centre, drags to (x, y) inside, then to (outX, outY) past an
# edge and lets go there; all in window coordinates.
drag_out() {
  xdotool mousemove $((left + 320)) $((top + 240))
  sleep 0.2
  xdotool mousedown 3
  sleep 0.2
  xdotool mousemove $((left + $1)) $((top + $2))
  sleep 0.2
  xdotool mousemove $((left + $3)) $((top + $4))
  sleep 0.2
  xdotool mouseup 3
  sleep 0.2
}

# One radian per 50 pixels across, one unit up per pixel down.
drag_out 220 240 -8 240   # left edge:   100 pixels left
drag_out 320 140 320 -8   # top edge:    100 pixels up
drag_out 370 240 650 240  # right edge:   50 pixels right
drag_out 320 270 320 490  # bottom edge:  30 pixels down

quit_game
[ "$status" -eq 0 ] || { echo "exit code $status"; exit 1; }
camera=$(grep '^camera position ' "$work/stderr" | tail -1)
[ -n "$camera" ] || { echo "the game did not report its camera"; exit 1; }

# Start: position (0, 100, -100) looking at the origin. Expected: a turn of
# 1 radian about the vertical axis (its sign as the camera turns) and a
# height of 100 - 100 + 30.
echo "$camera" | awk '{
  x = $3 - $7; y = $4 - $8; z = $5 - $9
  turn = atan2(x, -z)
  radius = sqrt(x * x + z * z)
  printf "turned %.6f radians, height %.4f, radius %.4f\n", turn, y, radius
  ok = (turn > 0 ? turn : -turn) - 1 < 1e-3 && 1 - (turn > 0 ? turn : -turn) < 1e-3
  ok = ok && (y - 30) ^ 2 < 1e-6 && (radius - 100) ^ 2 < 1e-4
  exit ok ? 0 : 1
}' || { echo "the camera moved by more than the motion inside the window"; exit 1; }
echo "dragged out past every edge; the camera followed only the motion inside"
