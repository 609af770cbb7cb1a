#!/usr/bin/env bash
# The X server wrapper: a signal goes on to the test, the server ends, the
# folder goes and the exit code tells the signal; without Xvfb a test is
# skipped, while a listing of cases still runs.
#   x_server_test.sh WRAPPER
set -u
wrapper="$1"
command -v Xvfb >/dev/null || { echo "no Xvfb"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Whether a process ends within 5 s.
gone() {
  for _ in $(seq 100); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.05
  done
  return 1
}

# The wrapper in the background with a test that reports its display and the
# signal it gets; sends the signal once the test runs. Sets code.
signal_case() {
  local signal="$1" tmp="$work/tmp-$1"
  mkdir -p "$tmp"
  rm -f "$work/display" "$work/got" "$work/child"
  # A background command of a script ignores SIGINT unless told not to.
  TMPDIR="$tmp" env --default-signal=INT "$wrapper" bash -c '
    trap "echo $1 > \"$2/got\"; exit 3" "$1"
    echo "$DISPLAY" > "$2/display"
    env --default-signal=INT sleep 30 &
    echo $! > "$2/child"
    wait' test "$signal" "$work" &
  local pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
  done
  [ -s "$work/display" ] || { fail "$signal: the test did not start"; kill "$pid"; return; }
  local display
  display=$(cat "$work/display")
  local server
  server=$(pgrep -P "$pid" -x Xvfb)
  kill -s "$signal" "$pid"
  wait "$pid"
  code=$?
  [ "$(cat "$work/got" 2>/dev/null)" = "$signal" ] || fail "$signal: the test was not told"
  # It has the signal as the test has, and may take a moment to end.
  gone "$(cat "$work/child")" || fail "$signal: what the test started still runs"
  [ -z "$server" ] || ! kill -0 "$server" 2>/dev/null || fail "$signal: the server $display still runs"
  [ -z "$(ls -A "$tmp")" ] || fail "$signal: the wrapper's folder is left: $(ls -A "$tmp")"
}

signal_case INT
[ "$code" -eq 130 ] || fail "INT: exit code $code, expected 130"
signal_case TERM
[ "$code" -eq 143 ] || fail "TERM: exit code $code, expected 143"

# A test's own exit code comes through.
"$wrapper" bash -c 'exit 5'
code=$?
[ "$code" -eq 5 ] || fail "exit code $code passed on, expected 5"

# Without Xvfb on the path: skipped, never run on the shell's display.
mkdir "$work/bin"
for tool in bash env mktemp rm seq sleep cat; do
  ln -s "$(command -v "$tool")" "$work/bin/$tool"
done
out=$(PATH="$work/bin" DISPLAY=:99 "$wrapper" bash -c 'echo "ran on $DISPLAY"')
code=$?
[ "$code" -eq 77 ] || fail "without Xvfb: exit code $code, expected 77"
case "$out" in
  *"[  SKIPPED ]"*) ;;
  *) fail "without Xvfb: not told as skipped: $out" ;;
esac
case "$out" in *"ran on"*) fail "without Xvfb: the test ran on the shell's display" ;; esac
out=$(PATH="$work/bin" DISPLAY=:99 "$wrapper" bash -c 'echo "listed ${DISPLAY:-without a display}"' --gtest_list_tests)
[ "$out" = "listed without a display" ] || fail "without Xvfb: the listing did not run as it is: $out"

[ "$failures" -eq 0 ] || exit 1
echo "signals passed on, server and folder gone, skipped without Xvfb"
