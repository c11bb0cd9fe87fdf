#!/usr/bin/env bash
# Usage: desktop_size.sh SOURCE_DIR BUILD_DIR VISHOST OUTDIR
#
# Full screen at the desktop's own size on a 1920x1080 screen: a Wine session of its own (an Xvfb
# of that size and a prefix whose Wine desktop has that size too, made once beside the tests' own),
# in which desktop_size_check.py runs vishost --desktop-size and checks its frames.
set -euo pipefail
src=$1 build=$2 vishost=$3 out=$4
exec env -u VEXIL_WINE_SESSION VEXIL_SCREEN=1920x1080 VEXIL_PREFIX_NAME=wineprefix-1920x1080 \
  "$src/tools/wine-session.sh" "$build" \
  python3 "$src/tests/wine/desktop_size_check.py" "$src/tools/wine-run.sh" "$vishost" "$out"
