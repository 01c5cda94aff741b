#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it the way a packaged program is used:
# the installed binary, started from an unrelated folder, finds its resources under
# PREFIX/share and captures a frame; the desktop entry validates; the manual page formats
# without warnings; the icons are there at their sizes.
set -u
build="$(cd "$1" && pwd)"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
log="$scratch/log"

fail() { echo "FAIL: $*"; echo "--- output of the last step ---"; tail -n 40 "$log"; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$log" 2>&1 || fail "cmake --install"
for f in bin/dovrix bin/synctool share/dovrix/resources/flash.mp3 share/dovrix/resources/data/demosynch.dat \
         share/applications/dovrix.desktop share/man/man6/dovrix.6; do
  [ -e "$prefix/$f" ] || fail "$f not installed"
done
[ ! -e "$prefix/share/dovrix/resources/source-tree" ] || fail "the build's source-tree pointer was installed"
for n in 48 128 256; do
  icon="$prefix/share/icons/hicolor/${n}x${n}/apps/dovrix.png"
  [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${n}x${n}" ] || fail "icon $icon is not ${n}x${n}"
done

mkdir "$scratch/elsewhere"
(cd "$scratch/elsewhere" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
  "$prefix/bin/dovrix" --capture out --width 160 --height 90 --from 10 --to 10.01) >"$log" 2>&1 \
  || fail "the installed dovrix did not capture"
ls "$scratch/elsewhere/out/"frame_*.png >/dev/null 2>&1 || fail "no frame written"

desktop-file-validate "$prefix/share/applications/dovrix.desktop" >"$log" 2>&1 || fail "desktop entry"
[ ! -s "$log" ] || fail "desktop-file-validate had remarks"

MANWIDTH=80 man -l --warnings "$prefix/share/man/man6/dovrix.6" >"$scratch/page" 2>"$log" || fail "man -l"
[ ! -s "$log" ] || fail "the manual page has warnings"
grep -q 'EXIT STATUS' "$scratch/page" || { cp "$scratch/page" "$log"; fail "the manual page is empty"; }
echo "ok: installed into a scratch prefix, captured a frame, entry and page check out"
