#!/usr/bin/env bash
# Usage: real_files.sh long|mp3|titles|live WINE_RUN VISHOST OUT_DIR   (in a Wine session, from the player folder)
# Files as people have them, made here: a sparse three-hour WAV started 30 s before its end, two MP3s joined and damaged, a 96 kHz
# FLAC with accents and "--Café.flac" through play.sh (code page 1252: Wine's locale is C.UTF-8), and
# play.sh --live with the pactl of PulseAudio 14 (no get-default-sink) and a parec of silence.
set -euo pipefail
part=$1 wine_run=$2 vishost=$3 out=$4
play="$(cd "$(dirname "$0")" && pwd)/../../tools/play.sh"
rm -rf "$out"; mkdir -p "$out/music" "$out/bin"; out=$(cd "$out" && pwd)
export LC_ALL=C.UTF-8 XDG_CACHE_HOME="$out/cache" PATH="$out/bin:$PATH"
winpath() { echo "Z:${1//\//\\}"; }
expect() { LC_ALL=C grep -aqE -- "$1" "$2" || { cat "$2"; echo "FAIL: no line matching '$1' in $2"; exit 1; }; }
run() { "$@" >"$out/run.txt" 2>&1 || { cat "$out/run.txt"; echo "FAIL: $*"; exit 1; }; }
sine() { ffmpeg -nostdin -v error -f lavfi -i "sine=frequency=660:duration=$1" "${@:2}"; }

case $part in
long)
  python3 -c 'import math, struct, sys
frames, tone = 10800 * 44100, 20 * 44100
with open(sys.argv[1], "wb") as out:
    out.write(b"RIFF" + struct.pack("<I", 36 + frames * 4) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16))
    out.write(b"data" + struct.pack("<I", frames * 4))
    out.seek(44 + (frames - tone) * 4)
    out.write(b"".join(struct.pack("<hh", v, v) for v in (int(12000 * math.sin(i * 0.0627)) for i in range(tone))))' \
    "$out/Three Hours.wav"
  run "$wine_run" "$vishost" --mute --module 2 --start 10770 --seconds 60 --trace-queries "$(winpath "$out/Three Hours.wav")"
  rm -f "$out/Three Hours.wav"
  expect '^track 0: Three Hours, 10800\.00 s, 44100 Hz, 2 channels, peak 1[12][0-9]{3}' "$out/run.txt"
  # The length is asked after Init (play time 10770 s and Init's time) and at the first frame after
  # the intro's 10 s, which began with playback (10780 s); the track's end ends the run, not --seconds.
  sed -n 's/^length query: .* -> 10800 s, at \([0-9.]*\) s.*/\1/p' "$out/run.txt" | awk 'NR == 1 { f = $1 } { l = $1 }
    END { exit !(NR >= 2 && f >= 10770 && f < 10779 && l >= 10779.5 && l < 10785) }' || { cat "$out/run.txt"; exit 1; }
  expect '^vishost: playback stopped at frame' "$out/run.txt" ;;
mp3)
  sine 4 -ar 44100 -c:a libmp3lame -b:a 64k -metadata title="Part “One” €" "$out/a.mp3"
  cat "$out/a.mp3" "$out/a.mp3" >"$out/Damaged.mp3"
  printf '%1000s' '' | dd of="$out/Damaged.mp3" bs=1 seek=20000 conv=notrunc status=none  # 1000 spaces
  run "$wine_run" "$vishost" --mute --module 2 --frames 1 --trace-queries "$(winpath "$out/Damaged.mp3")"
  # Both files' 4 s with the encoder's lead-in and padding (8.15 s), less the damaged frames (~0.1 s).
  expect $'^track 0: Part \x93One\x94 \x80, (7\\.9|8\\.0)[0-9] s, 44100 Hz, 1 channel' "$out/run.txt"
  expect 'Damaged\.mp3: skipped [0-9]+ bytes that are not audio' "$out/run.txt" ;;
titles)
  sine 3 -ar 96000 -c:a flac -sample_fmt s32 -metadata artist="Søren Ålund" -metadata title="Café Noël" \
    "$out/music/Søren.flac"
  sine 2 "$out/music/--Café.flac"
  run "$play" --module 2 --seconds 2 --trace-queries --out "$out/first" -- "$out/music/Søren.flac" "$out/music/--Café.flac"
  expect "$(iconv -t cp1252 <<<'^track 0: Søren Ålund - Café Noël, 3\.00 s, 44100 Hz, 1 channel')" "$out/run.txt"
  expect "$(iconv -t cp1252 <<<'^track 1: --Café, 2\.00 s, 44100 Hz')" "$out/run.txt"
  expect "$(iconv -t cp1252 <<<'^title query: entry 0 -> Søren Ålund - Café Noël')" "$out/run.txt"
  for wav in "$XDG_CACHE_HOME"/vexilumarine/decoded/*.wav; do echo "damaged" >"$wav"; done
  "$play" --module 2 --seconds 2 "$out/music/Søren.flac" >"$out/run.txt" 2>&1 || true
  expect "vishost: $out/music/Søren.flac: not a RIFF WAVE file" "$out/run.txt" ;;
live)
  printf '#!/bin/sh\ncase "$1" in\n  info) echo "Default Sink: speakers" ;;
  list) printf "Source #1\\n\\tName: %%s.monitor\\n\\tDescription: Monitor of Old Speakers\\n" "${MONITOR_OF:-speakers}" ;;
  *) echo "No valid command specified." >&2; exit 1 ;;\nesac\n' >"$out/bin/pactl"
  printf '#!/bin/sh\nexec head -c 2000000 /dev/zero\n' >"$out/bin/parec"
  chmod +x "$out/bin/pactl" "$out/bin/parec"
  run "$play" --live --module 2 --seconds 2 --trace-queries --out "$out/found"
  expect 'title query: entry 0 -> Live: Monitor of Old Speakers' "$out/run.txt"
  MONITOR_OF=headphones run "$play" --live --module 2 --seconds 2 --out "$out/missing"
  expect "play: no monitor of the default output 'speakers' found" "$out/run.txt" ;;
esac
echo "real_files $part: passed"
