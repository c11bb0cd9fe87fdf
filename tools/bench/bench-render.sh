#!/usr/bin/env bash
# Usage: bench-render.sh WINDOWS_BUILD_DIR [SECONDS] [MODULES] [SIZES]
#
# Offline render speed at 60 fps, as a multiple of real time, of each module in MODULES (default
# "2 4": the 2d Spectrum Analyser, the lightest effect, and Freaky Movey Thingy, the heaviest) at
# each of SIZES (default "640x480 1280x720 1920x1080": the plug-in at the desktop's own size on a
# screen of that size, as render.sh --size draws; a number is a graphics mode on a 1600x1200
# screen instead), SECONDS of the demo song long (16; frames after the intro's 10.5 s are counted,
# from vishost --benchmark), three ways: the virtual clock alone (drawing alone), --render into a
# pipe that throws the frames away (plus capture and conversion), and --render into the encoder
# (the whole render: plus H.264 and AAC), its frames taken as render.sh takes them. Also the whole render as a share of drawing alone, and vishost's
# own figures per frame: the capture, and the wait for the writer (the pipe and the encoder).
# Runs from a private copy of the player folder; plugin.ini is not touched.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-16} modules=${3:-2 4} sizes=${4:-640x480 1280x720 1920x1080}

. "$here/../lib/wine.sh"
. "$here/../lib/video-options.sh"

printf '%-7s %-10s %-22s %-22s %-22s %-9s %s\n' module size "drawing alone" "+ capture" "whole render" \
  "share" "vishost per frame: capture, wait for the writer"
# One Wine session per screen size, each in a subshell that ends it.
for size in $sizes; do (
  if [[ $size =~ ^[0-9]+$ ]]; then screen=1600x1200 picture=(--mode "$size"); else screen=$size picture=(--desktop-size); fi
  work=$(mktemp -d) player=""
  remove_work() { rm -rf "$work"; [ -z "$player" ] || rm -rf "$(dirname "$player")"; }
  end_on_signals remove_work
  VEXIL_SCREEN=$screen VEXIL_DESKTOP=$screen wine_session_start "$build"
  player=$(private_player "$build/player")  # what the run writes into plugin.ini reaches no other run
  [[ $size =~ ^[0-9]+$ ]] || settings_for_exact_size "$player"
  cd "$player"
  "$WINELOADER" ./vishost.exe --write-demo "$(winpath "$work/demo.wav")" 2>/dev/null

  # The frames a second after the intro, from the benchmark line on standard error.
  fps_of() { sed -n 's/^benchmark: .* \([0-9.]*\) fps,.*/\1/p' "$work/err" | tail -1; }
  # vishost's capture and writer figures (the last run's), from its encoder's benchmark line.
  encoder_figures() { sed -n 's/^benchmark: capture \([0-9.]*\) ms a frame, waited \([0-9.]*\) ms.*/\1 ms, \2 ms/p' "$work/err" | tail -1; }
  mapfile -t frame_args < <(render_frame_args h264)
  run() {  # WAY MODULE
    local common=(--benchmark --fps 60 --seconds "$seconds" --module "$2" "${picture[@]}")
    case "$1" in
      clock) "$WINELOADER" ./vishost.exe --virtual-clock "${common[@]}" >"$work/err" 2>&1 ;;
      capture) "$WINELOADER" ./vishost.exe --render "${common[@]}" "${frame_args[@]}" 2>"$work/err" </dev/null | "$here/../lib/encode-video.sh" 60 none "" ;;
      encode) "$WINELOADER" ./vishost.exe --render "${common[@]}" "${frame_args[@]}" 2>"$work/err" </dev/null |
                "$here/../lib/encode-video.sh" 60 "$work/video.mp4" "$seconds" "$work/demo.wav" ;;
    esac
    fps_of
  }

  for module in $modules; do
    line=()
    for way in clock capture encode; do
      line+=("$(run "$way" "$module")")
    done
    share=$(awk -v a="${line[0]}" -v c="${line[2]}" 'BEGIN { if (a > 0 && c > 0) printf "%.0f %%", 100 * c / a; else print "?" }')
    printf '%-7s %-10s' "$module" "$size"
    for fps in "${line[@]}"; do
      printf ' %-22s' "$(awk -v f="$fps" 'BEGIN { if (f > 0) printf "%.1f fps = %.2fx", f, f / 60; else print "?" }')"
    done
    printf ' %-9s %s\n' "$share" "$(encoder_figures)"
  done
) done
