#!/usr/bin/env bash
# The floors of src/: a file includes only its own folder and the folders below it, and SDL only
# inside src/platform. Prints every include that breaks the rule and fails if there is one.
#
#   platform < gfx < timeline, model < layers, editor < app
set -u
src="${1:-$(dirname "$0")/../src}"

find "$src" -mindepth 2 \( -name '*.h' -o -name '*.cpp' \) | sort | xargs awk '
BEGIN {
  allowed["platform"] = " platform "
  allowed["gfx"] = " gfx platform "
  allowed["timeline"] = " timeline gfx platform "
  allowed["model"] = " model gfx platform "
  allowed["layers"] = " layers timeline model gfx platform "
  allowed["editor"] = " editor timeline model gfx platform "
  allowed["app"] = " app layers editor timeline model gfx platform "
  status = 0
}
FNR == 1 {
  n = split(FILENAME, parts, "/")
  folder = parts[n - 1]
  if (!(folder in allowed)) {
    print FILENAME ": src/" folder " is not a floor (add it to tests/floors_check.sh and src/CMakeLists.txt)"
    status = 1
  }
}
/^[ \t]*#[ \t]*include[ \t]*"[a-z_]+\// {
  included = $0
  sub(/^[^"]*"/, "", included)
  sub(/\/.*/, "", included)
  if ((folder in allowed) && index(allowed[folder], " " included " ") == 0) {
    print FILENAME ":" FNR ": src/" folder " may not include " included "/ (its floors:" allowed[folder] ")"
    status = 1
  }
}
/^[ \t]*#[ \t]*include[ \t]*<SDL/ {
  if (folder != "platform") {
    print FILENAME ":" FNR ": SDL is included outside src/platform"
    status = 1
  }
}
END {
  if (status == 0) print "floors: every include keeps to its floor"
  exit status
}'
