#!/usr/bin/env bash
# Usage: wine-session.sh BUILD_DIR COMMAND [ARGS...]
#
# Runs COMMAND inside a Wine session of its own for BUILD_DIR (see tools/lib/wine.sh): a prefix
# copied from the tree's template, its own wineserver and its own Xvfb, all gone afterwards, and
# whatever COMMAND left running with them. COMMAND runs Windows programs as "$WINELOADER"
# PROGRAM.exe. Any number of sessions run at once in one checkout; none touches another's.
# VEXIL_SCREEN, VEXIL_DESKTOP and VEXIL_USE_DISPLAY change the session (see tools/lib/wine.sh).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib/wine.sh"

end_on_signals ""
wine_session_start "$1" || exit 1
shift
"$@" <&0 &
wait $!
