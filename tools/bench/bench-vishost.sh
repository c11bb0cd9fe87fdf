#!/usr/bin/env bash
# Usage: bench-vishost.sh WINDOWS_BUILD_DIR [RUNS] [SECONDS]
# Frame rate of every module through vishost --benchmark (Render as fast as it returns, no
# sleeping, sound muted) at 640 x 480 and at 1600 x 1200, RUNS runs each (3), SECONDS long (20;
# the first 10.5 s are the intro and not counted). Prints each run and the median fps of each
# module and screen size.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
runs=${2:-3} seconds=${3:-20}
. "$here/../lib/wine.sh"
end_on_signals ""
wine_session_start "$build"
cd "$build/player"
median() { sort -g | awk '{v[NR]=$1} END {print v[int((NR + 1) / 2)]}'; }
printf '%-8s %-10s %s\n' module size "median fps (runs)"
for mode in 5:640x480 10:1600x1200; do
  for module in 1 2 3 4 5 6 7; do
    fps=()
    for _ in $(seq "$runs"); do
      line=$("$WINELOADER" ./vishost.exe --mute --module "$module" --mode "${mode%%:*}" --seconds "$seconds" \
        --benchmark 2>/dev/null | grep '^benchmark:' || true)
      fps+=("$(sed -n 's/.* \([0-9.]*\) fps,.*/\1/p' <<<"$line")")
    done
    printf '%-8s %-10s %s (%s)\n' "$module" "${mode#*:}" "$(printf '%s\n' "${fps[@]}" | median)" "${fps[*]}"
  done
done
