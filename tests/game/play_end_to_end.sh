#!/usr/bin/env bash
# The program itself under an X server: real clicks and keys through xdotool.
# A left click on the centre point plays a stone there; a middle click on the
# same point then scores it as occupied (-100) in the title; Escape quits with
# exit code 0. Skipped (77) without a display or xdotool.
set -u
GAME="$1"
SOURCE="$2"
[ -n "${DISPLAY:-}" ] || { echo "no X display"; exit 77; }
command -v xdotool >/dev/null || { echo "no xdotool"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$SOURCE/data" "$work/data"
cat > "$work/q3dinit.conf" <<'CONF'
fullscreen = false
resolution = 640x480
bpp = 32
zbufferdepth = 24
device = hal
tnl = true
antialiasing = none
dontcareabout = bpp, refresh, alpha
CONF

cd "$work"
GO3D_MESSAGEBOX=stderr SDL_VIDEODRIVER=x11 "$GAME" 2>"$work/stderr" &
pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '^go3d$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the game window did not appear"; cat "$work/stderr"; kill $pid; exit 1; }
sleep 1

# The camera looks at the board's centre, which shows at the window's centre.
xdotool mousemove --window "$window" 320 240 click 1
sleep 0.5
xdotool mousemove --window "$window" 320 240 click 2
title=""
for _ in $(seq 50); do
  title=$(xdotool getwindowname "$window")
  [ "$title" != "go3d" ] && break
  sleep 0.1
done
echo "title: $title"

xdotool key --window "$window" Escape
for _ in $(seq 100); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
  echo "Escape did not end the game"; kill $pid; exit 1
fi
wait $pid
status=$?

cat "$work/stderr"
[ "$title" = "Position Evaluation: -100.000000" ] || { echo "the centre point was not played"; exit 1; }
[ "$status" -eq 0 ] || { echo "exit code $status"; exit 1; }
echo "played, scored, quit"
