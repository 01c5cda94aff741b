#!/usr/bin/env bash
# An author rehearses the last section: --from 120 in a real window under Xvfb. The clock and
# the music start at 120 s, so the show ends by itself four seconds later with exit status 0.
set -u
build="$1"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

fail() { echo "FAIL: $*"; echo "--- standard error ---"; tail -n 30 "$log"; exit 1; }

# The loading screen takes about ten seconds; a show played from the start would take 124.
timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/dovrix" --width 320 --height 180 --windowed --from 120 2>"$log"
status=$?
[ "$status" -ne 124 ] || fail "still playing after 60 seconds"
[ "$status" -eq 0 ] || fail "exit status $status"
if grep -qE '^(CRITICAL|ERROR) \(' "$log"; then fail "an error was traced"; fi
[ "$(grep -E '^(CRITICAL|ERROR|WARNING|INFO) \(' "$log" | tail -n 1)" = "INFO (trace): Trace stopped." ] ||
  fail "last trace line"
echo "ok: played 120 s to the end"
