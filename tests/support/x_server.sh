#!/usr/bin/env bash
# Runs a test under a virtual X server of its own, so that no other test's
# windows, pointer, keys or focus reach it. The server never starts over:
# by default an X server whose last client leaves resets and refuses
# connections meanwhile, and a test's clients come and go (a short xdotool
# call while the program under test is still opening its display). Without
# Xvfb the test runs as it is, and skips itself where it finds no display.
#   x_server.sh COMMAND [ARG...]
set -u
command -v Xvfb >/dev/null || exec "$@"

dir=$(mktemp -d)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

# The server picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/log" &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$dir/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.05
done
if [ ! -s "$dir/display" ]; then
  echo "the virtual X server did not start:" >&2
  cat "$dir/log" >&2
  exit 1
fi
export DISPLAY=":$(cat "$dir/display")"
unset XAUTHORITY

"$@"
