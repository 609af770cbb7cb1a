#!/usr/bin/env bash
# The window made another size than the back buffer's, as a tiling window
# manager would: the frame is stretched over it, and clicks pick what is drawn
# under them. A stone played at the centre, the window sized to 800x600, a
# middle click at its new centre scores that point as occupied (-100).
# Skipped (77) without a display or xdotool.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/x_game.sh"
start_game "$1" "$2"

xdotool mousemove --window "$window" 320 240 click 1
sleep 0.5

xdotool windowsize "$window" 800 600
size=""
for _ in $(seq 50); do
  eval "$(xdotool getwindowgeometry --shell "$window")"
  size="${WIDTH}x${HEIGHT}"
  [ "$size" = 800x600 ] && break
  sleep 0.1
done
echo "window: $size"
# Frames go on being drawn into the new size before the click.
sleep 0.5

xdotool mousemove --window "$window" 400 300 click 2
wait_for_title "Position Evaluation: -100.000000"

quit_game
[ "$size" = 800x600 ] || { echo "the window was not resized"; exit 1; }
[ "$title" = "Position Evaluation: -100.000000" ] || { echo "the click at the centre did not pick the centre point"; exit 1; }
[ "$status" -eq 0 ] || { echo "exit code $status"; exit 1; }
echo "resized, picked the centre, quit"
