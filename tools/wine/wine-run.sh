#!/usr/bin/env bash
# Usage: wine-run.sh PROGRAM.exe [ARGS...]   (the build's CMAKE_CROSSCOMPILING_EMULATOR)
#
# Runs one Windows program under Wine with a time limit. Inside a session of the program's tree
# (wine-session.sh) it uses that session's display and wineserver; outside one it starts a
# session of its own. A failure of Wine itself to start the program is retried once; the
# program's own result is never retried.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib/wine.sh"

tree=$(cd "$(dirname "$1")" && pwd -P)
while [ "$tree" != / ] && [ ! -f "$tree/CMakeCache.txt" ]; do tree=$(dirname "$tree"); done
if [ "${VEXIL_WINE_SESSION:-}" != "$tree" ]; then exec "$here/wine-session.sh" "$tree" "$0" "$@"; fi

limit=${VEXIL_TEST_TIMEOUT:-180}
errfile=$(mktemp)
trap 'rm -f "$errfile"' EXIT
for attempt in 1 2; do
  timeout -k 5 "$limit" "$WINELOADER" "$@" 2>"$errfile"
  status=$?
  if [ "$status" -ne 0 ] && [ "$attempt" -eq 1 ] && grep -qE '^wine: (could not|failed|cannot)' "$errfile"; then
    echo "wine-run: Wine failed to start $(basename "$1"); retrying once" >&2
    cat "$errfile" >&2
    continue
  fi
  break
done
drop_wine_chatter <"$errfile" >&2
[ "$status" -eq 124 ] && echo "wine-run: $(basename "$1") exceeded ${limit}s" >&2
exit "$status"
