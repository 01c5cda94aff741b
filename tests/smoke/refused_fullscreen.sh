#!/usr/bin/env bash
# Full screen at a size the display has no mode for (Xvfb offers only its screen size): the
# show opens a borderless window instead and one WARNING names the mode asked for and the
# window opened.
set -u
build="$(cd "$1" && pwd)"
log=$(mktemp)
pid=""

fail() { echo "FAIL: $*"; echo "--- standard error ---"; cat "$log"; exit 1; }

export DISPLAY=":$(( 90 + RANDOM % 400 ))"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# SIGKILL: SDL turns SIGTERM into a quit event, which the loading screen does not read.
trap 'kill -9 $pid $xvfb 2>/dev/null; rm -f "$log"' EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.2; done

SDL_AUDIODRIVER=dummy "$build/dovrix" --width 1000 --height 700 >/dev/null 2>"$log" &
pid=$!
for _ in $(seq 150); do
  grep -q '^INFO (trace): Trace started' "$log" && grep -q 'WARNING (renderWindow)' "$log" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
expected="WARNING (renderWindow): the display refused full screen at 1000 x 700; playing in a borderless 1000 x 700 window on the 1280 x 1024 desktop"
[ "$(grep -c 'WARNING (renderWindow)' "$log")" -eq 1 ] || fail "not exactly one window warning"
grep -qxF "$expected" "$log" || fail "the warning does not read: $expected"
echo "ok: $expected"
