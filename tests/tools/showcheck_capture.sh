#!/usr/bin/env bash
# The show as a viewer meets it: captures the opening (0 to 8 s) and the first drop (26 to 31 s)
# at a low resolution and lets showcheck measure them. Neither span may hold a dark or still
# stretch longer than 2 s, nor a frame clipped to a flat colour outside the white flash.
set -u
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fps=6

check_span() {  # name from to
  local out="$work/$1"
  if ! "$build/dovrix" --capture "$out" --width 320 --height 180 --fps $fps --from "$2" --to "$3" \
      2> "$work/$1.log"; then
    echo "FAIL: capture of $1 ($2 to $3 s)"; tail -20 "$work/$1.log"; return 1
  fi
  if ! "$build/showcheck" "$out" --fps $fps --from "$2" \
      --sync "$build/resources/data/demosynch.dat" > "$work/$1.check"; then
    echo "FAIL: showcheck on $1 ($2 to $3 s)"; cat "$work/$1.check"; return 1
  fi
  echo "ok: $1"; head -3 "$work/$1.check"
}

status=0
check_span opening 0 8 || status=1
check_span drop 26 31 || status=1
exit $status
