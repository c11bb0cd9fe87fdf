#!/usr/bin/env bash
# Usage: demo.sh WINDOWS_BUILD_DIR OUT_DIR [SECONDS]
# Plays the built-in demo song through the plug-in's "All effects" in vishost under Wine. With
# a DISPLAY it plays in a window; without one it renders offline (tools/render.sh: the virtual
# clock, 60 frames a second, in a private Xvfb) into OUT_DIR/demo.mp4 with the song, and makes a
# contact sheet OUT_DIR/demo.png of the intro and each effect from frames at exact times, labelled
# with the module names the plug-in lists. It runs in a Wine session and folders of its own, so
# other demos, plays, renders and tests can run beside it; a signal ends it with nothing left.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/wine.sh"
build=$(cd "$1" && pwd)
mkdir -p "$2"; out=$(cd "$2" && pwd)
seconds=${3:-90}
fps=60
effect_ms=9000 fade_ms=1000  # each effect: 1 s in, 9 s held, 1 s out: all seven in 77 s after the intro

work=$(mktemp -d "$out/.demo.XXXXXX")
remove_work() { rm -rf "$work"; }
end_on_signals remove_work "demo: interrupted"
player=$work/player
"$here/wine/player-folder.sh" "$build" "$player"
# Sequential order shows the effects one after another, so the sheet knows when each one holds.
printf '[Vexilumarine]\r\nrandom effect order=FALSE\r\neffect length=%d\r\nfade length=%d\r\n' \
  "$effect_ms" "$fade_ms" >"$player/Plugins/plugin.ini"

if [ -n "${DISPLAY:-}" ]; then
  VEXIL_USE_DISPLAY=1 wine_session_start "$build"
  cd "$player"
  "$WINELOADER" ./vishost.exe --module 0 --seconds "$seconds" --player-timing 2> >(drop_wine_chatter >&2) &
  wait $!
  exit
fi
wine_session_start "$build"
cd "$player"

# The effects' names as the plug-in lists them ("N: name", after its own name).
names=("Intro")
while IFS= read -r line; do
  line=${line%$'\r'}
  [[ $line =~ ^([1-9][0-9]*):\ (.*)$ ]] && names+=("${BASH_REMATCH[2]}")
done < <("$WINELOADER" ./vishost.exe --list 2>/dev/null)
[ ${#names[@]} -gt 1 ] || { echo "demo: vishost lists no modules" >&2; exit 1; }

# Contact sheet: the intro at 4 s, then each effect in the middle of its 11 s turn; frame k (from
# 1) of the video is drawn at (k - 1) / fps seconds.
times_ms=() frames=()
for i in "${!names[@]}"; do
  if [ "$i" -eq 0 ]; then ms=4000; else ms=$((10000 + (i - 1) * (effect_ms + 2 * fade_ms) + (effect_ms + 2 * fade_ms) / 2)); fi
  times_ms+=("$ms") frames+=($((ms * fps / 1000 + 1)))
done
capture_at=$(IFS=,; echo "${frames[*]}")

# The song is written by vishost and tagged as vishost titles it when it plays it itself, so the
# title strip reads the same; render.sh runs in this session.
song="$work/demo.wav"
"$WINELOADER" ./vishost.exe --write-demo "$(winpath "$work/untagged.wav")" 2>/dev/null &
wait $!
ffmpeg -nostdin -v error -y -i "$work/untagged.wav" -metadata artist=Vexilumarine \
  -metadata title='Tidewater (demo song)' -c copy "$song" &
wait $!
"$here/render.sh" --player "$player" --fps $fps --seconds "$seconds" --capture-at "$capture_at" \
  --frames-out "$work/frames" --force -o "$out/demo.mp4" "$song" &
wait $!

tiles=()
for i in "${!names[@]}"; do
  frame=$(printf '%s/frames/module0-frame%05d.bmp' "$work" "${frames[$i]}")
  tiles+=(-label "${names[$i]} ($((times_ms[i] / 1000)) s)" "$frame")
done
columns=$(( (${#names[@]} + 1) / 2 ))
montage "${tiles[@]}" -tile "${columns}x2" -geometry 400x300+4+4 -background '#202020' -fill white -font DejaVu-Sans \
  -pointsize 18 "$work/demo.png" &
wait $!
mv -f "$work/demo.png" "$out/demo.png"
echo "demo: $out/demo.mp4 ($(du -h "$out/demo.mp4" | cut -f1)), contact sheet $out/demo.png"
