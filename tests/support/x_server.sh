#!/usr/bin/env bash
# Runs a test under a virtual X server of its own, so that no other test's
# windows, pointer, keys or focus reach it. The server never starts over:
# by default an X server whose last client leaves resets and refuses
# connections meanwhile, and a test's clients come and go (a short xdotool
# call while the program under test is still opening its display).
#   x_server.sh COMMAND [ARG...]
# Without Xvfb the test is skipped rather than run on whatever display the
# shell has, a person's desktop included; a test program's listing of its
# cases needs no server and runs as it is. A SIGTERM or SIGINT goes on to
# the test; then the server ends and the folder goes.
set -u

skip() {
  echo "[  SKIPPED ] $*"
  exit 77
}

if ! command -v Xvfb >/dev/null; then
  case " $* " in
    *" --gtest_list_tests "*) unset DISPLAY; exec "$@" ;;
  esac
  skip "no Xvfb: the test needs an X server of its own (Debian's xvfb package)"
fi

dir=$(mktemp -d)
xvfb=""
test_pid=""
cleanup() {
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  fi
  rm -rf "$dir"
}
trap cleanup EXIT

# Passes the signal on to the test and what it started, waits for the
# test, then exits with the shell's code for that signal; the EXIT trap ends
# the server.
forward() {
  local signal="$1" code="$2"
  trap '' TERM INT
  if [ -n "$test_pid" ]; then
    kill -s "$signal" -- "-$test_pid" 2>/dev/null
    wait "$test_pid" 2>/dev/null
  fi
  exit "$code"
}
trap 'forward TERM 143' TERM
trap 'forward INT 130' INT

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

# In the background, so that a signal's trap runs at once instead of after
# the test, and in a process group of its own, so that the signal reaches
# whatever the test started too. A background command of a script ignores
# SIGINT unless told not to.
setsid env --default-signal=INT,QUIT "$@" &
test_pid=$!
wait "$test_pid"
status=$?
test_pid=""
exit "$status"
