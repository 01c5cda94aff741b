#!/usr/bin/env bash
# An author moves a whole controller one bar later, through the real window under Xvfb with
# xdotool, in a scratch copy of the tree: pick "Postprocessor: fade to white", Ctrl+A,
# Ctrl+Shift+Right, save. The text copy's diff shows every key of that controller 2 s later
# and nothing else.
set -u
build="$(cd "$1" && pwd)"
source="$(cd "$(dirname "$0")/../.." && pwd)"
scratch=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null; rm -rf "$scratch"' EXIT

tree="$scratch/tree"
mkdir -p "$tree/show" "$tree/build"
cp "$source/show/demosynch.txt" "$tree/show/"
cp "$build/dovrix" "$build/synctool" "$tree/build/"
cp -r "$build/resources" "$tree/build/"
rm -f "$tree/build/resources/editor/"*.dat "$tree/build/resources/editor/session.lock"
echo "$tree" > "$tree/build/resources/source-tree"
res="$tree/build/resources"
log="$scratch/run.log"

fail() { echo "FAIL: $*"; echo "--- standard error ---"; tail -n 30 "$log"; exit 1; }
waitFor() {
  local deadline=$(( $(date +%s) + $1 )); shift
  until "$@"; do
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

export DISPLAY=":$(( 90 + RANDOM % 400 ))"
Xvfb "$DISPLAY" -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
waitFor 10 xdotool getmouselocation >/dev/null 2>&1 || fail "no X server"

SDL_AUDIODRIVER=dummy "$tree/build/dovrix" --edit --width 1280 --height 720 2>"$log" &
pid=$!
waitFor 90 grep -q "pid $pid" "$res/editor/session.lock" 2>/dev/null || fail "the editor did not start"
sleep 1
move() { xdotool mousemove "$1" "$2"; sleep 0.3; }

# The controller panel opens while the pointer rests on its title; row 16 is the controller.
move 480 32; move 482 40; sleep 0.5
move 482 275; xdotool click 1; sleep 0.5
move 700 650
xdotool key ctrl+a; sleep 0.5
xdotool key ctrl+shift+Right; sleep 0.5
move 96 32; move 96 40; move 96 46; xdotool click 1; sleep 1   # WORKSPACE, save
xdotool key Escape
waitFor 30 bash -c "! kill -0 $pid 2>/dev/null" || fail "Escape did not end the program"

diff "$source/show/demosynch.txt" "$tree/show/demosynch.txt" > "$scratch/diff.txt"
block=$(awk '/^controller "Postprocessor: fade to white"/ {on = 1; next} on && /^controller/ {exit} on && /^ +[0-9]/ {print $1}' \
  "$source/show/demosynch.txt")
[ -n "$block" ] || fail "no keys of the controller in the text"
expected=$(echo "$block" | awk '{printf "%.3f\n", $1 + 2}')
got=$(grep '^>' "$scratch/diff.txt" | awk '{printf "%.3f\n", $2}')
[ "$got" = "$expected" ] || { cat "$scratch/diff.txt"; fail "the diff is not every key 2 s later"; }
removed=$(grep -c '^<' "$scratch/diff.txt")
[ "$removed" -eq "$(echo "$block" | wc -l)" ] || { cat "$scratch/diff.txt"; fail "other lines changed"; }
echo "ok: $(echo "$block" | wc -l) keys of \"Postprocessor: fade to white\" moved one bar later"
