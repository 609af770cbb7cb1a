#!/usr/bin/env bash
# The program itself under an X server: real clicks and keys through xdotool.
# A left click on the centre point plays a stone there; a middle click on the
# same point then scores it as occupied (-100) in the title; Escape quits with
# exit code 0. Skipped (77) without a display or xdotool.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/x_game.sh"
start_game "$1" "$2"

# The camera looks at the board's centre, which shows at the window's centre.
xdotool mousemove --window "$window" 320 240 click 1
sleep 0.5
xdotool mousemove --window "$window" 320 240 click 2
wait_for_title "Position Evaluation: -100.000000"

quit_game
[ "$title" = "Position Evaluation: -100.000000" ] || { echo "the centre point was not played"; exit 1; }
[ "$status" -eq 0 ] || { echo "exit code $status"; exit 1; }
echo "played, scored, quit"
