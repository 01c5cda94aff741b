#!/usr/bin/env bash
# An author's session with the sync editor, driven through the real window under Xvfb with
# xdotool, in a scratch copy of the tree (program, resources, show/demosynch.txt):
#   1. pick "Earth: Rotation", insert a key with the middle button, drag it, make the stretch
#      after it smoothstep, save, Escape: the saved file and the text copy hold exactly that edit;
#   2. an edit left unsaved at Escape goes to the recovery file, named at the next start;
#   3. an edit followed by kill -9 leaves its snapshot, named at the next start.
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

fail() { echo "FAIL: $*"; echo "--- standard error of the last run ---"; tail -n 40 "$log"; exit 1; }

# Polls a command until it succeeds or the deadline (seconds) passes.
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

start() {
  SDL_AUDIODRIVER=dummy "$tree/build/dovrix" --edit --width 1280 --height 720 "$@" 2>"$log" &
  pid=$!
  # The editor marks its session with its process id when it starts.
  waitFor 60 grep -qx "pid $pid" "$res/editor/session.lock" 2>/dev/null || fail "the editor did not start"
  sleep 1
}
# The window fills the 1280 x 720 screen, so screen and client pixels agree. Overlay y (upward)
# to client y for the letterboxed viewport (origin -1, height 723): y = (1 - v) * 723 - 1.
move() { xdotool mousemove "$1" "$2"; sleep 0.15; }
click() { move "$2" "$3"; xdotool click "$1"; sleep 0.3; }
quit() {
  xdotool key Escape
  waitFor 30 bash -c "! kill -0 $pid 2>/dev/null" || fail "Escape did not end the program"
  wait "$pid"
}
insertKey() {  # "Earth: Rotation" picked, a key inserted at 10 s on the key strip
  move 480 32; move 482 40; click 1 482 57
  click 2 103 556
}

dump() { "$tree/build/synctool" dump "$1" | grep -v '^#'; }
dump "$res/data/demosynch.dat" > "$scratch/before.txt" || fail "cannot dump the sync file"
cp "$tree/show/demosynch.txt" "$scratch/before-text.txt"

# ---- 1. edit, save, quit --------------------------------------------------------------------
start
insertKey
xdotool mousemove 103 556 mousedown 1; sleep 0.2
move 130 556; move 155 556
xdotool mouseup 1; sleep 0.3
click 1 200 505          # the stretch after the new key
sleep 1.5                # a frame draws its segment buttons
click 1 171 292          # smoothstep
move 96 32; move 96 40; click 1 96 46   # WORKSPACE, save
sleep 0.5
import -window root "$build/editor-screenshot.png" 2>/dev/null
quit
grep -q 'INFO (trace): Trace stopped.' "$log" || fail "no clean stop"
[ "$(grep -E '^(INFO|WARNING|ERROR|CRITICAL) \(' "$log" | tail -n 1)" = "INFO (trace): Trace stopped." ] ||
  fail "Trace stopped. is not the last trace line"
grep -qE '^(WARNING|ERROR) \(syncEditor' "$log" && fail "the editor warned"

dump "$res/data/demosynch.dat" > "$scratch/after.txt"
diff "$scratch/before.txt" "$scratch/after.txt" > "$scratch/diff.txt"
added=$(grep -c '^>' "$scratch/diff.txt"); removed=$(grep -c '^<' "$scratch/diff.txt")
[ "$added" -eq 2 ] && [ "$removed" -eq 1 ] || { cat "$scratch/diff.txt"; fail "the saved file differs by more than the edit"; }
grep -q '^< *28.25 .*linear *valval' "$scratch/diff.txt" || { cat "$scratch/diff.txt"; fail "the old stretch end"; }
grep -q '^> *28.25 .*smoothstep *valval' "$scratch/diff.txt" || { cat "$scratch/diff.txt"; fail "smoothstep not set"; }
newKey=$(grep '^> *1[45]\.' "$scratch/diff.txt") || { cat "$scratch/diff.txt"; fail "the dragged key is not near 15 s"; }
sed -n '/controller "Earth: Rotation"/,/^$/p' "$scratch/after.txt" | grep -qF "${newKey#> }" ||
  fail "the new key is not in Earth: Rotation"

"$tree/build/synctool" build "$tree/show/demosynch.txt" "$scratch/from-text.dat" || fail "the text copy does not build"
dump "$scratch/from-text.dat" | diff - "$scratch/after.txt" >/dev/null || fail "the text copy holds other curves"
textChanges=$(diff "$scratch/before-text.txt" "$tree/show/demosynch.txt" | grep -c '^[<>]')
[ "$textChanges" -eq 3 ] || { diff "$scratch/before-text.txt" "$tree/show/demosynch.txt"; fail "the text copy changed $textChanges lines"; }
echo "ok: edit saved ($newKey)"

# ---- 2. unsaved at Escape -------------------------------------------------------------------
start
insertKey
quit
grep -q 'WARNING (syncEditor): the curves were not saved: they are in "editor/recovery.dat"' "$log" ||
  fail "no recovery warning"
[ -e "$res/editor/recovery.dat" ] || fail "no recovery file"
dump "$res/data/demosynch.dat" | diff - "$scratch/after.txt" >/dev/null || fail "quitting changed the saved file"
start
grep -q 'editor/recovery.dat" holds curves an earlier session did not save: start with --edit --load editor/recovery.dat' "$log" ||
  fail "the next start does not name the recovery file"
quit
echo "ok: recovery file"

# ---- 3. kill -9 -----------------------------------------------------------------------------
start
insertKey
waitFor 10 bash -c "ls '$res/editor/' | grep -q '^--1--'" || fail "no snapshot was written"
kill -9 "$pid"; wait "$pid" 2>/dev/null
start
grep -qE "did not close; its newest undo snapshot is \"editor/--1--[0-9-]+![0-9-]+\.dat\": start with --edit --load 'editor/--1--" "$log" ||
  fail "the next start does not name the crashed session's snapshot"
quit
echo "ok: crash report"
