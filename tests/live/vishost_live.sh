#!/usr/bin/env bash
# Usage: vishost_live.sh WINE_RUN VISHOST.exe OUT_DIR   (inside pulse_session.sh)
#
# tools/play.sh --live: vishost --live under Wine, fed by parec from the monitor of the private
# server's null sink.
# The 2d Spectrum Analyser runs with a capture every half second. The intro ends within 10 s of
# the first rendered frame (slot F), the analyser has faded in a second later: the captures at
# F+23..F+25 are of silence. Then the demo song is played into the sink with paplay (once capture
# F+26 appears), and the captures F+33..F+39 are of music.
# Checks: the plug-in's title and time queries are answered live; the pictures of silence stay
# alike while the music's differ from them and from each other. The PNGs stay in OUT_DIR.
# WINE_RUN is the tree's Wine runner (tools/wine/wine-run.sh).
set -euo pipefail
wine_run=$1 vishost=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"; mkdir -p "$out/frames"
source_name=$(pactl list sources | sed -n 's/^[[:space:]]*Description: //p' | grep -m1 '^Monitor of')
"$wine_run" "$vishost" --write-demo "Z:$(echo "$out/demo.wav" | tr / '\\')"

"$here/../../tools/play.sh" --live --module 2 --seconds 26 --capture-fps 2 --out "$out" --trace-queries \
  >"$out/vishost.txt" 2>"$out/vishost-errors.txt" &
vishost_pid=$!
player_pid=""
trap 'if [ -n "$player_pid" ]; then kill "$player_pid" 2>/dev/null || true; fi' EXIT
slot_file() { printf '%s/frames/frame%05d.bmp' "$out" "$1"; }
for _ in $(seq 1 600); do [ -f "$(slot_file 0)" ] && break; sleep 0.05; done
[ -f "$(slot_file 0)" ] || { echo "FAIL: no frame rendered in 30 s"; cat "$out/vishost-errors.txt"; exit 1; }
sleep 0.2
first=$(ls "$out/frames" | sed -n 's/^frame0*\([0-9][0-9]*\)\.bmp$/\1/p' | sort -n | tail -n1)
echo "first frame rendered at $((first / 2)).$((first % 2 * 5)) s"
for _ in $(seq 1 400); do [ -f "$(slot_file $((first + 26)))" ] && break; sleep 0.05; done
paplay "$out/demo.wav" &
player_pid=$!
status=0
wait "$vishost_pid" || status=$?
kill "$player_pid" 2>/dev/null || true
[ "$status" -eq 0 ] || { echo "FAIL: vishost ended with status $status"; cat "$out/vishost-errors.txt"; exit 1; }
cat "$out/vishost.txt"
python3 "$here/live_pictures.py" "$out" "$source_name" "$first"
