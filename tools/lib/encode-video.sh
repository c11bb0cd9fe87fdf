#!/usr/bin/env bash
# Usage: vishost.exe --render ... | encode-video.sh FPS OUT.mp4 SECONDS WAV...
#
# The encoder of offline video: reads vishost --render's stream on standard input (a line
# "frames WIDTHxHEIGHT", then raw frames of 4 bytes a pixel: blue, green, red, unused) and writes
# OUT.mp4 with ffmpeg: H.264 (yuv420p) and the WAVs one after the other as AAC, the index first so
# that it starts playing at once. SECONDS (may be empty) cuts the sound to the video's length.
# OUT "none" throws the frames away (the benchmark of capture without encoding).
set -euo pipefail
fps=$1 out=$2 seconds=$3
shift 3
# The pipe from vishost at the most a user may ask for (1 MB here) instead of 64 KB: Wine writes each
# frame into it in far fewer turns (captured 1600 x 1200 frames went at 13 a second before, 28 after).
python3 -c 'import fcntl; fcntl.fcntl(0, fcntl.F_SETPIPE_SZ, int(open("/proc/sys/fs/pipe-max-size").read()))' \
  2>/dev/null || true
IFS= read -r header || { echo "encode-video: vishost sent no frames" >&2; exit 1; }
size=${header#frames }
[[ $size =~ ^[0-9]+x[0-9]+$ ]] || { echo "encode-video: vishost sent '$header', not a frame size" >&2; exit 1; }
[ "$out" != none ] || exec cat >/dev/null
audio_inputs=() joined=""
for i in $(seq 1 $#); do audio_inputs+=(-i "${!i}"); joined+="[$i:a]"; done
exec ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt bgr0 -video_size "$size" -framerate "$fps" -i - \
  "${audio_inputs[@]}" -filter_complex "${joined}concat=n=$#:v=0:a=1[audio]" \
  -map 0:v -map '[audio]' -c:v libx264 -preset superfast -crf 18 -pix_fmt yuv420p \
  -c:a aac -b:a 192k ${seconds:+-t "$seconds"} -movflags +faststart -f mp4 "$out"
