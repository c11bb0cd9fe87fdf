#!/usr/bin/env bash
# Usage: demo.sh WINDOWS_BUILD_DIR OUT_DIR [SECONDS]
# Plays the built-in demo song through the plug-in's "All effects" in vishost under Wine. With
# a DISPLAY it plays in a window; without one it runs under Xvfb, captures frames and makes
# OUT_DIR/demo.mp4 (with the song) and a contact sheet OUT_DIR/demo.png of the intro and the
# seven effects.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"; out=$(cd "$2" && pwd)
seconds=${3:-90}
player="$out/player"
rate=10                   # captured frames per second
effect_ms=9000 fade_ms=1000  # each effect: 1 s in, 9 s held, 1 s out: all seven in 77 s after the intro

rm -rf "$player" "$out/frames"
"$here/player-folder.sh" "$build" "$player"
# Sequential order shows the effects one after another, so the sheet knows when each one holds.
printf '[Vexilumarine]\r\nrandom effect order=FALSE\r\neffect length=%d\r\nfade length=%d\r\n' \
  "$effect_ms" "$fade_ms" >"$player/Plugins/plugin.ini"

winpath() { echo "Z:${1//\//\\}"; }

if [ -n "${DISPLAY:-}" ]; then
  "$here/wine-session.sh" "$build" true  # makes the Wine prefix once
  cd "$player"
  . "$here/wine-env.sh" "$build"
  "$WINELOADER" ./vishost.exe --module 0 --seconds "$seconds" --player-timing
  exit 0
fi

mkdir -p "$out/frames"
cd "$player"
"$here/wine-session.sh" "$build" bash -c "
  \"\$WINELOADER\" ./vishost.exe --write-demo '$(winpath "$out/demo.wav")' &&
  \"\$WINELOADER\" ./vishost.exe --module 0 --seconds $seconds --player-timing --out '$(winpath "$out/frames")' --capture-fps $rate
" 2> >(grep -vE '^(ALSA|fixme|err|warn)' >&2)

ffmpeg -loglevel error -y -framerate "$rate" -i "$out/frames/frame%05d.bmp" -i "$out/demo.wav" \
  -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest "$out/demo.mp4"

# Contact sheet: the intro at 4 s, then each effect in the middle of its 11 s turn.
names=("Intro" "Water" "2d Spectrum Analyser" "Spherical Shells" "Freaky Movey Thingy" "Volumetric Light"
       "Spike Cylinder" "Super Shells")
tiles=()
for i in "${!names[@]}"; do
  if [ "$i" -eq 0 ]; then ms=4000; else ms=$((10000 + (i - 1) * (effect_ms + 2 * fade_ms) + (effect_ms + 2 * fade_ms) / 2)); fi
  frame=$(printf '%s/frames/frame%05d.bmp' "$out" $((ms * rate / 1000)))
  tiles+=(-label "${names[$i]} ($((ms / 1000)) s)" "$frame")
done
montage "${tiles[@]}" -tile 4x2 -geometry 400x300+4+4 -background '#202020' -fill white -font DejaVu-Sans -pointsize 18 "$out/demo.png"
echo "demo: $out/demo.mp4 ($(du -h "$out/demo.mp4" | cut -f1)), contact sheet $out/demo.png"
