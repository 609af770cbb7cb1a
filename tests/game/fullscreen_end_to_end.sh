#!/usr/bin/env bash
# Full screen at the screen's size on an X server without a window manager,
# as in a kiosk session: the window covers the screen from its origin, and a
# click at the screen's centre plays the centre point, which a middle click
# then scores as occupied (-100). Skipped (77) without a display or xdotool.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/x_game.sh"
read -r screen_w screen_h < <(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')
config="fullscreen = true
resolution = ${screen_w}x${screen_h}
bpp = 32
zbufferdepth = 24
device = hal
tnl = true
antialiasing = none
dontcareabout = bpp, refresh, alpha"
start_game "$1" "$2"
echo "window: ${WIDTH}x${HEIGHT} at $X,$Y on a ${screen_w}x${screen_h} screen"

# The readiness check scored the centre, empty; now it is played.
xdotool mousemove --window "$window" $((screen_w / 2)) $((screen_h / 2)) click 1
sleep 0.5
xdotool mousemove --window "$window" $((screen_w / 2)) $((screen_h / 2)) click 2
wait_for_title "Position Evaluation: -100.000000"

quit_game
[ "$X,$Y" = 0,0 ] || { echo "the window does not start at the screen's origin"; exit 1; }
[ "${WIDTH}x${HEIGHT}" = "${screen_w}x${screen_h}" ] || { echo "the window does not cover the screen"; exit 1; }
[ "$title" = "Position Evaluation: -100.000000" ] || { echo "the centre point was not played"; exit 1; }
[ "$status" -eq 0 ] || { echo "exit code $status"; exit 1; }
echo "covered the screen, played the centre, quit"
