#!/usr/bin/env bash
# Usage: real_files.sh PART WINE_RUN VISHOST OUT_DIR   (inside a Wine session, from the player folder)
#
# Files as people have them, made here by ffmpeg or by hand. PART is one of:
#   long     a three-hour WAV (sparse), started 15 s before its end with --start: its length and
#            the play time the plug-in is told, and it plays to its end
#   mp3      two MP3 files joined with cat, one with a damaged header: all of both plays, one line
#            tells the bytes skipped; the ID3v2 title "Part “One” €" comes out in code page 1252
#   titles   tools/play.sh with a 96 kHz 24-bit FLAC tagged "Søren Ålund - Café Noël" and an
#            untagged "--Café.flac" given after --: 44.1 kHz, titles in code page 1252 (Wine's
#            locale is pinned to C.UTF-8, whose ANSI code page is 1252); a damaged cache entry is
#            reported under the user's file name
#   live     tools/play.sh --live where pactl has no get-default-sink (PulseAudio before 15): the
#            monitor is found through "pactl info"; where there is none, one line says so
set -euo pipefail
part=$1 wine_run=$2 vishost=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)
play="$here/../../tools/play.sh"
rm -rf "$out"; mkdir -p "$out"; out=$(cd "$out" && pwd)
winpath() { echo "Z:${1//\//\\}"; }
fail() { echo "FAIL: $*"; exit 1; }
expect() { LC_ALL=C grep -aqE -- "$1" "$2" || { cat "$2"; fail "no line matching '$1' in $2"; }; }
reject() { ! grep -aqE -- "$1" "$2" || { cat "$2"; fail "a line matching '$1' in $2"; }; }

long() {
  # 44.1 kHz 16-bit stereo, a tone (peak 12000) in the last 20 s; the silence is a hole in the file.
  python3 - "$out/Three Hours.wav" <<'PY'
import math, struct, sys
frames, tone = 10800 * 44100, 20 * 44100
with open(sys.argv[1], "wb") as out:
    out.write(b"RIFF" + struct.pack("<I", 36 + frames * 4) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16))
    out.write(b"data" + struct.pack("<I", frames * 4))
    out.seek(44 + (frames - tone) * 4)
    out.write(b"".join(struct.pack("<hh", v, v) for v in (int(12000 * math.sin(i * 0.0627)) for i in range(tone))))
PY
  "$wine_run" "$vishost" --mute --module 2 --start 10785 --seconds 40 --trace-queries \
    "$(winpath "$out/Three Hours.wav")" >"$out/run.txt" 2>&1 || { cat "$out/run.txt"; fail "vishost failed"; }
  rm -f "$out/Three Hours.wav"
  expect '^track 0: Three Hours, 10800\.00 s, 44100 Hz, 2 channels, peak 1[12][0-9]{3}' "$out/run.txt"
  # 10785 s on and more; the length of three hours; the end of the track ends the run, not --seconds.
  expect '^length query: run 1, frame [0-9]+ -> 10800 s, at 1078[5-9]\.[0-9]+ s' "$out/run.txt"
  expect '^length query: run 1, frame [0-9]+ -> 10800 s, at 1079[5-9]\.[0-9]+ s' "$out/run.txt"
  expect '^vishost: playback stopped at frame' "$out/run.txt"
}

mp3() {
  export LC_ALL=C.UTF-8
  local tone=(-f lavfi -i "sine=frequency=660:duration=4,volume=0.4")
  ffmpeg -nostdin -v error "${tone[@]}" -ar 44100 -ac 1 -c:a libmp3lame -b:a 64k -metadata title="Part “One” €" "$out/a.mp3"
  ffmpeg -nostdin -v error "${tone[@]}" -ar 44100 -ac 1 -c:a libmp3lame -b:a 64k -metadata title="Part Two" "$out/b.mp3"
  cat "$out/a.mp3" "$out/b.mp3" >"$out/Joined.mp3"
  # A damaged stretch of 1000 bytes in the middle of the first file's audio.
  cp "$out/Joined.mp3" "$out/Damaged.mp3"
  printf '%*s' 1000 '' | tr ' ' 'x' | dd of="$out/Damaged.mp3" bs=1 seek=20000 conv=notrunc status=none
  "$wine_run" "$vishost" --mute --module 2 --frames 1 --trace-queries "$(winpath "$out/Joined.mp3")" \
    "$(winpath "$out/Damaged.mp3")" >"$out/run.txt" 2>&1 ||
    { cat "$out/run.txt"; fail "vishost failed"; }
  # Both files' 4 s (and the encoder's lead-in and padding), the first one's tag for the title.
  expect $'^track 0: Part \x93One\x94 \x80, 8\\.[01][0-9] s, 44100 Hz, 1 channel' "$out/run.txt"
  expect 'Damaged\.mp3: skipped [0-9]+ bytes that are not audio' "$out/run.txt"
  expect '^track 1: Part .One. ., (7\.9|8\.0)[0-9] s' "$out/run.txt"
  reject 'Joined\.mp3: skipped' "$out/run.txt"
}

titles() {
  export XDG_CACHE_HOME="$out/cache" LC_ALL=C.UTF-8
  mkdir -p "$out/music"
  ffmpeg -nostdin -v error -f lavfi -i "sine=frequency=500:duration=3" -ar 96000 -c:a flac -sample_fmt s32 \
    -metadata artist="Søren Ålund" -metadata title="Café Noël" "$out/music/Søren.flac"
  ffmpeg -nostdin -v error -f lavfi -i "sine=frequency=700:duration=2" -map_metadata -1 "$out/music/--Café.flac"
  "$play" --module 2 --seconds 2 --trace-queries --out "$out/first" -- "$out/music/Søren.flac" \
    "$out/music/--Café.flac" >"$out/first.txt" 2>&1 || { cat "$out/first.txt"; fail "play.sh failed"; }
  python3 - "$out/first.txt" <<'PY'
import sys
text = open(sys.argv[1], "rb").read()
for expected in ["track 0: Søren Ålund - Café Noël, 3.00 s, 44100 Hz, 1 channel",
                 "track 1: --Café, 2.00 s, 44100 Hz, 1 channel",
                 "title query: entry 0 -> Søren Ålund - Café Noël"]:
    if expected.encode("cp1252") not in text:
        sys.exit(f"FAIL: not in the output as code page 1252: {expected}\n{text.decode('cp1252', 'replace')}")
PY
  # A damaged cache entry: vishost's message names the user's file, not the cached WAV.
  for wav in "$XDG_CACHE_HOME"/vexilumarine/decoded/*.wav; do echo "damaged" >"$wav"; done
  "$play" --module 2 --seconds 2 "$out/music/Søren.flac" >"$out/second.txt" 2>&1 || true
  expect "vishost: $out/music/Søren.flac: not a RIFF WAVE file" "$out/second.txt"
}

live() {
  # A pactl of PulseAudio 14 (no get-default-sink) and a parec that records silence.
  mkdir -p "$out/bin"
  cat >"$out/bin/pactl" <<'SH'
#!/bin/sh
case "$1" in
  info) printf 'Server Name: pulseaudio\nDefault Sink: speakers\n' ;;
  list) printf 'Source #1\n\tName: %s.monitor\n\tDescription: Monitor of Old Speakers\n' "${PACTL_MONITOR_OF:-speakers}" ;;
  *) echo "No valid command specified." >&2; exit 1 ;;
esac
SH
  printf '#!/bin/sh\nexec head -c 2000000 /dev/zero\n' >"$out/bin/parec"
  chmod +x "$out/bin/pactl" "$out/bin/parec"
  PATH="$out/bin:$PATH" "$play" --live --module 2 --seconds 2 --trace-queries --out "$out/found" \
    >"$out/found.txt" 2>&1 || { cat "$out/found.txt"; fail "play.sh --live failed"; }
  expect 'title query: entry 0 -> Live: Monitor of Old Speakers' "$out/found.txt"
  PACTL_MONITOR_OF=headphones PATH="$out/bin:$PATH" "$play" --live --module 2 --seconds 2 --trace-queries \
    --out "$out/missing" >"$out/missing.txt" 2>&1 || { cat "$out/missing.txt"; fail "play.sh --live failed"; }
  expect "play: no monitor of the default output 'speakers' found" "$out/missing.txt"
}

"$part"
echo "real_files $part: passed"
