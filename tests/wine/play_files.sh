#!/usr/bin/env bash
# Usage: play_files.sh WINE_RUN VISHOST OUT_DIR     (inside a Wine session, from the player folder)
#
# tools/play.sh with a FLAC and an Ogg Vorbis file made here by ffmpeg from the demo song, each
# with its artist and title tags, and a file that is not audio. The first play decodes the two
# into the cache and plays them through the 2d Spectrum Analyser with frames captured; the
# second play takes both from the cache. Checks (play_files_check.py): one line for the broken
# file, the tags' titles in the playlist and on the plug-in's queries, and no second decoding.
set -euo pipefail
wine_run=$1 vishost=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
play="$here/../../tools/play.sh"
rm -rf "$out"; mkdir -p "$out/music"; out=$(cd "$out" && pwd)
export XDG_CACHE_HOME="$out/cache"
music=$out/music

"$wine_run" "$vishost" --write-demo "Z:$(echo "$music/demo.wav" | tr / '\\')"
ffmpeg -nostdin -v error -i "$music/demo.wav" -t 16 -metadata artist="Test Band" -metadata title="First Flac" \
  "$music/01 track.flac"
ffmpeg -nostdin -v error -i "$music/demo.wav" -ss 30 -t 4 -c:a libvorbis -metadata ARTIST="Vorbis Duo" \
  -metadata TITLE="Second Ogg" "$music/02 track.ogg"
echo "not audio at all" >"$music/Broken.flac"

"$play" --module 2 --trace-queries --capture-fps 2 --out "$out/first" "$music/01 track.flac" "$music/Broken.flac" \
  "$music/02 track.ogg" >"$out/first.txt" 2>&1 || { cat "$out/first.txt"; exit 1; }
ls -l --time-style=+%s.%N "$XDG_CACHE_HOME/vexilumarine/decoded" >"$out/cache-after-first.txt"
"$play" --module 2 --seconds 2 --capture-fps 2 --out "$out/second" "$music/01 track.flac" "$music/02 track.ogg" \
  >"$out/second.txt" 2>&1 || { cat "$out/second.txt"; exit 1; }
ls -l --time-style=+%s.%N "$XDG_CACHE_HOME/vexilumarine/decoded" >"$out/cache-after-second.txt"
python3 "$here/play_files_check.py" "$out"
