#!/usr/bin/env bash
# Usage: bench-long-wav.sh [SECONDS] [OUT_DIR]     (10800 s: three hours; out/bench-long)
#
# Plays a WAV of SECONDS (the demo song over and over, 44.1 kHz 16-bit stereo: 1.9 GB for three
# hours, really on disk) through vishost under Wine, muted, the 2d Spectrum Analyser at 10 frames
# a second, with a resource line every minute, and prints the private bytes at the start, the
# least and the most after the first minute, and at the end. The file is read from disk as it
# plays, so the private bytes stay flat. It takes SECONDS of wall time. It runs in a Wine session
# and a player folder of its own, so tests can run in the tree meanwhile.
# BENCH_CLOCK=virtual reads the whole file in minutes instead: the virtual clock at 2 frames a
# second of the file, as fast as the machine draws, with a resource line every 10 s of wall time.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
seconds=${1:-10800}
out=${2:-$here/../../out/bench-long}
mkdir -p "$out"; out=$(cd "$out" && pwd)
. "$here/../lib/wine.sh"
player=""
remove_player() { [ -z "$player" ] || rm -rf "$(dirname "$player")"; }
end_on_signals remove_player
wine_session_start "$here/../../build/win64"
player=$(private_player "$wine_tree/player")
cd "$player"

wav=$out/long-$seconds.wav
if [ ! -f "$wav" ]; then
  "$WINELOADER" ./vishost.exe --write-demo "$(winpath "$out/demo.wav")"
  ffmpeg -nostdin -v error -y -stream_loop -1 -i "$out/demo.wav" -t "$seconds" -c:a pcm_s16le -f wav "$wav.part"
  mv "$wav.part" "$wav"
fi
log=$out/resources-$seconds.txt
pace=(--fps 10 --resource-log 60)
[ "${BENCH_CLOCK:-}" = virtual ] && pace=(--virtual-clock --fps 2 --resource-log 10)
"$WINELOADER" ./vishost.exe --mute --module 2 "${pace[@]}" --seconds "$(( seconds + 30 ))" "$(winpath "$wav")" 2>&1 |
  grep --line-buffered -E '^(resources|vishost)' | tee "$log"
awk -F'private | bytes' '/^resources: [0-9]+ s/ { n++; v = $2; if (n == 1) first = v; if (n > 1) { if (min == "" || v < min) min = v; if (v > max) max = v } last = v }
  END { printf "private bytes: first line %d, after the first minute least %d, most %d, last %d (%d lines)\n", first, min, max, last, n }' "$log"
