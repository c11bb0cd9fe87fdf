#!/usr/bin/env bash
# Usage: bench-render.sh WINDOWS_BUILD_DIR [SECONDS] [MODULES] [MODES]
#
# Offline render speed at 60 fps, as a multiple of real time, of each module in MODULES (all
# seven by default) at 640 x 480 and at 1600 x 1200 (MODES: graphics modes "5 10"), SECONDS of the
# demo song long (16; frames after the intro's 10.5 s are counted, from vishost --benchmark), three
# ways: the virtual clock alone (Render only), --render into a pipe that throws the frames away
# (plus capture), and --render into the encoder (plus H.264 and AAC). Also the cost per frame of
# capture plus encoding: the time per frame with the encoder less the time without it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-16} modules=${3:-1 2 3 4 5 6 7} modes=${4:-5 10}
. "$here/../lib/wine.sh"
work=$(mktemp -d) player=""
remove_work() { rm -rf "$work"; [ -z "$player" ] || rm -rf "$(dirname "$player")"; }
end_on_signals remove_work
wine_session_start "$build"
player=$(private_player "$build/player")  # --mode reaches no other run's plugin.ini
cd "$player"
"$WINELOADER" ./vishost.exe --write-demo "$(winpath "$work/demo.wav")" 2>/dev/null

# The frames a second after the intro, from the benchmark line on standard error.
fps_of() { sed -n 's/^benchmark: .* \([0-9.]*\) fps,.*/\1/p' "$work/err" | tail -1; }
run() {  # WAY MODULE MODE
  local common=(--benchmark --fps 60 --seconds "$seconds" --module "$2" --mode "$3")
  case "$1" in
    clock) "$WINELOADER" ./vishost.exe --virtual-clock "${common[@]}" >"$work/err" 2>&1 ;;
    capture) "$WINELOADER" ./vishost.exe --render "${common[@]}" 2>"$work/err" </dev/null | "$here/../lib/encode-video.sh" 60 none "" ;;
    encode) "$WINELOADER" ./vishost.exe --render "${common[@]}" 2>"$work/err" </dev/null |
              "$here/../lib/encode-video.sh" 60 "$work/video.mp4" "$seconds" "$work/demo.wav" ;;
  esac
  fps_of
}

size_of() { case "$1" in 5) echo 640x480 ;; 10) echo 1600x1200 ;; *) echo "mode $1" ;; esac; }
printf '%-7s %-10s %-22s %-22s %-22s %s\n' module size "Render only" "+ capture" "+ capture + encode" \
  "capture + encode per frame"
for mode in $modes; do
  for module in $modules; do
    line=()
    for way in clock capture encode; do
      fps=$(run "$way" "$module" "$mode")
      line+=("$fps")
    done
    cost=$(awk -v a="${line[0]}" -v c="${line[2]}" 'BEGIN { if (a > 0 && c > 0) printf "%.1f ms", 1000 / c - 1000 / a; else print "?" }')
    printf '%-7s %-10s' "$module" "$(size_of "$mode")"
    for fps in "${line[@]}"; do
      printf ' %-22s' "$(awk -v f="$fps" 'BEGIN { if (f > 0) printf "%.1f fps = %.2fx", f, f / 60; else print "?" }')"
    done
    printf ' %s\n' "$cost"
  done
done
