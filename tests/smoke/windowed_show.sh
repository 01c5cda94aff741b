#!/usr/bin/env bash
# Plays the demo in a real window under Xvfb from start to end and checks what it reports:
# the trace opens and closes in order, the shutdown counts every layer, and the exit is clean.
set -u
build="$1"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

xvfb-run -a -s "-screen 0 1280x1024x24" "$build/dovrix" --width 640 --height 480 --windowed 2>"$log"
status=$?

fail() { echo "FAIL: $*"; echo "--- standard error ---"; cat "$log"; exit 1; }

[ "$status" -eq 0 ] || fail "exit status $status"
traces=$(grep -E '^(CRITICAL|ERROR|WARNING|INFO) \(' "$log")
[ "$(echo "$traces" | sed -n 1p)" = "INFO (trace): Trace started" ] || fail "first trace line"
[ "$(echo "$traces" | sed -n 2p)" = "INFO (trace): Enabled quit on trace level: 1" ] || fail "second trace line"
[ "$(echo "$traces" | tail -n 1)" = "INFO (trace): Trace stopped." ] || fail "last trace line"
if grep -qE '^(CRITICAL|ERROR) \(' "$log"; then fail "an error was traced"; fi
layers=$(grep -c '^pushing ' "$log")
counts=$(grep -cx "$layers" "$log")
# Registration writes each count once; the shutdown writes the registry size once per layer.
[ "$layers" -eq 0 ] || [ "$counts" -ge "$((layers + 1))" ] || fail "shutdown did not count $layers layers"
echo "ok: $(echo "$traces" | wc -l) trace lines, $layers layers"
