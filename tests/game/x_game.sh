# Sourced by the end-to-end scripts: the program under an X server in a
# folder of its own, 640x480 in a window (or the settings in the variable
# config), its message boxes on standard error. Skips (77) without a display
# or xdotool.
#   start_game GAME SOURCE [NAME=value...]   sets work, pid, window, the
#                                            window's screen position X, Y
#                                            and its size WIDTH, HEIGHT; the
#                                            title shows the centre's score
#   wait_for_title TEXT                      up to 5 s for the window title;
#                                            sets title to what it shows
#   quit_game                                Escape; sets status, shows stderr
[ -n "${DISPLAY:-}" ] || { echo "no X display"; exit 77; }
command -v xdotool >/dev/null || { echo "no xdotool"; exit 77; }

start_game() {
  local game="$1" source="$2"
  shift 2
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  ln -s "$source/data" "$work/data"
  printf '%s\n' "${config:-fullscreen = false
resolution = 640x480
bpp = 32
zbufferdepth = 24
device = hal
tnl = true
antialiasing = none
dontcareabout = bpp, refresh, alpha}" > "$work/q3dinit.conf"
  local size centre_x centre_y
  size=$(sed -n 's/^resolution = \([0-9]*\)x\([0-9]*\)$/\1 \2/p' "$work/q3dinit.conf")
  centre_x=$((${size% *} / 2))
  centre_y=$((${size#* } / 2))

  cd "$work" || exit 1
  env GO3D_MESSAGEBOX=stderr SDL_VIDEODRIVER=x11 "$@" "$game" 2>"$work/stderr" &
  pid=$!

  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --name '^go3d$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "the game window did not appear"; cat "$work/stderr"; kill $pid; exit 1; }
  # Picking goes through the latest frame's camera, and input waiting when
  # the main loop starts is handled before the first frame. So the game is
  # ready once a middle click at the centre scores the centre in the title.
  for _ in $(seq 100); do
    xdotool mousemove --window "$window" "$centre_x" "$centre_y" click 2
    sleep 0.2
    [ "$(xdotool getwindowname "$window")" != go3d ] && break
  done
  [ "$(xdotool getwindowname "$window")" != go3d ] || { echo "the game did not answer a middle click"; cat "$work/stderr"; kill $pid; exit 1; }
  eval "$(xdotool getwindowgeometry --shell "$window")"
}

wait_for_title() {
  title=""
  for _ in $(seq 50); do
    title=$(xdotool getwindowname "$window")
    [ "$title" = "$1" ] && break
    sleep 0.1
  done
  echo "title: $title"
}

quit_game() {
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
}
