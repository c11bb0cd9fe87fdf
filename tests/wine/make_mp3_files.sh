#!/bin/bash
# Makes the MP3 files the vishost tests play, in FOLDER, from the WAV files make_playlist.py wrote
# there (First Song.wav: 6 s, Second Song.wav: 3 s, 22.05 kHz mono):
#   Tagged Tone.mp3  First Song with ID3v2 title and artist
#   Bare Frames.dat  Second Song as bare frames (no tags, no .mp3 name: known by its content)
#   Garbage.mp3      text, no frames at all
#   Cut Short.mp3    Tagged Tone cut off in the middle of a frame
set -euo pipefail
folder=$1
cd "$folder"
encode() { ffmpeg -nostdin -y -loglevel error -i "$1" -codec:a libmp3lame -b:a 64k "${@:3}" -f mp3 "$2"; }
encode "First Song.wav" "Tagged Tone.mp3" -metadata title="Tagged Tone" -metadata artist="Test Band"
encode "Second Song.wav" "Bare Frames.dat" -map_metadata -1 -id3v2_version 0 -write_xing 0
head -c 3000 < <(yes "this is not audio") > Garbage.mp3
size=$(stat -c %s "Tagged Tone.mp3")
head -c $((size / 2 + 7)) "Tagged Tone.mp3" > "Cut Short.mp3"
