#!/usr/bin/env bash
# Usage: demo.sh WINDOWS_BUILD_DIR OUT_DIR [SECONDS]
# Plays the built-in demo song through the plug-in's "All effects" in vishost under Wine. With
# a DISPLAY it plays in a window; without one it renders offline (tools/render.sh: the virtual
# clock, 60 frames a second, in a private Xvfb) into OUT_DIR/demo.mp4 with the song, and makes a
# contact sheet OUT_DIR/demo.png of the intro and the seven effects from frames at exact times.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"; out=$(cd "$2" && pwd)
seconds=${3:-90}
player="$out/player"
fps=60
effect_ms=9000 fade_ms=1000  # each effect: 1 s in, 9 s held, 1 s out: all seven in 77 s after the intro

rm -rf "$player" "$out/frames"
"$here/wine/player-folder.sh" "$build" "$player"
# Sequential order shows the effects one after another, so the sheet knows when each one holds.
printf '[Vexilumarine]\r\nrandom effect order=FALSE\r\neffect length=%d\r\nfade length=%d\r\n' \
  "$effect_ms" "$fade_ms" >"$player/Plugins/plugin.ini"

winpath() { echo "Z:${1//\//\\}"; }

if [ -n "${DISPLAY:-}" ]; then
  "$here/wine/wine-session.sh" "$build" true  # makes the Wine prefix once
  cd "$player"
  . "$here/wine/wine-env.sh" "$build"
  "$WINELOADER" ./vishost.exe --module 0 --seconds "$seconds" --player-timing
  exit 0
fi

# Contact sheet: the intro at 4 s, then each effect in the middle of its 11 s turn; frame k (from
# 1) of the video is drawn at (k - 1) / fps seconds.
names=("Intro" "Water" "2d Spectrum Analyser" "Spherical Shells" "Freaky Movey Thingy" "Volumetric Light"
       "Spike Cylinder" "Super Shells")
times_ms=() frames=()
for i in "${!names[@]}"; do
  if [ "$i" -eq 0 ]; then ms=4000; else ms=$((10000 + (i - 1) * (effect_ms + 2 * fade_ms) + (effect_ms + 2 * fade_ms) / 2)); fi
  times_ms+=("$ms") frames+=($((ms * fps / 1000 + 1)))
done
capture_at=$(IFS=,; echo "${frames[*]}")

# The song is written by vishost and tagged as vishost titles it when it plays it itself, so the
# title strip reads the same; render.sh runs in the same session.
song="$out/demo.wav"
cd "$player"
"$here/wine/wine-session.sh" "$build" bash -c "
  \"\$WINELOADER\" ./vishost.exe --write-demo '$(winpath "$out/untagged.wav")' 2>/dev/null &&
  ffmpeg -nostdin -v error -y -i '$out/untagged.wav' -metadata artist=Vexilumarine \\
    -metadata title='Tidewater (demo song)' -c copy '$song' && rm -f '$out/untagged.wav' &&
  '$here/render.sh' --player '$player' --fps $fps --seconds $seconds --capture-at $capture_at --frames-out '$out/frames' \\
    --force -o '$out/demo.mp4' '$song'
"

tiles=()
for i in "${!names[@]}"; do
  frame=$(printf '%s/frames/module0-frame%05d.bmp' "$out" "${frames[$i]}")
  tiles+=(-label "${names[$i]} ($((times_ms[i] / 1000)) s)" "$frame")
done
montage "${tiles[@]}" -tile 4x2 -geometry 400x300+4+4 -background '#202020' -fill white -font DejaVu-Sans -pointsize 18 "$out/demo.png"
echo "demo: $out/demo.mp4 ($(du -h "$out/demo.mp4" | cut -f1)), contact sheet $out/demo.png"
