#!/usr/bin/env bash
# Usage: vishost.exe --render ... | encode-video.sh [--codec C] [--quality Q] [--format F] [--size WxH] FPS OUT SECONDS WAV...
#
# The encoder of offline video: reads vishost --render's stream on standard input (a line
# "frames WIDTHxHEIGHT", then raw frames of 4 bytes a pixel: blue, green, red, unused; or
# "frames WIDTHxHEIGHT yuv420p", then I420 frames) and writes
# OUT with ffmpeg, the WAVs one after the other as its sound. SECONDS (may be empty) cuts the sound
# to the video's length. OUT "none" throws the frames away (the benchmark of capture without
# encoding).
#   --codec h264 (default), hevc, vp9 or prores; --quality draft, good (default) or best
#   --format mp4 (default), mov, webm or matroska: the container (OUT may be a temporary name)
#   --size WxH: the frames must be this size, else nothing is written
# H.264 and HEVC go as yuv420p with AAC, the index first so that the video starts playing at once;
# VP9 with Opus; ProRes as 10-bit 4:2:2 with the sound as 16-bit PCM, as editors take it.
set -euo pipefail
codec=h264 quality=good format=mp4 size=""
while [ $# -gt 0 ]; do
  case "$1" in
    --codec) codec=$2; shift 2 ;;
    --quality) quality=$2; shift 2 ;;
    --format) format=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    *) break ;;
  esac
done
fps=$1 out=$2 seconds=$3
shift 3
# The pipe from vishost at the most a user may ask for (1 MB here) instead of 64 KB: Wine writes each
# frame into it in far fewer turns (captured 1600 x 1200 frames went at 13 a second before, 28 after).
python3 -c 'import fcntl; fcntl.fcntl(0, fcntl.F_SETPIPE_SZ, int(open("/proc/sys/fs/pipe-max-size").read()))' \
  2>/dev/null || true
IFS= read -r header || { echo "encode-video: vishost sent no frames" >&2; exit 1; }
[[ $header =~ ^frames\ ([0-9]+x[0-9]+)(\ yuv420p)?$ ]] ||
  { echo "encode-video: vishost sent '$header', not a frame size" >&2; exit 1; }
frame_size=${BASH_REMATCH[1]} pixels=bgr0
[ -z "${BASH_REMATCH[2]}" ] || pixels=yuv420p
if [ -n "$size" ] && [ "$frame_size" != "$size" ]; then
  echo "encode-video: the plug-in drew $frame_size, not the $size asked for" >&2; exit 1
fi
[ "$out" != none ] || exec cat >/dev/null

# The video encoder's settings for CODEC at QUALITY: "draft" is for a quick look, "best" for an
# upload that is encoded again. H.264 "good" is x264's fastest analysis with its better entropy
# coder, B-frames, the deblocking filter and adaptive quantisation: on the 2d Spectrum Analyser at
# 1920x1080 it takes 25 ms of processor time a frame where "superfast" (at CRF 18, the renders'
# setting before) took 41, at an SSIM of 0.9909 to 0.9905 and a tenth more bytes.
video_settings() {
  case "$codec/$quality" in
    h264/draft) echo "-c:v libx264 -preset ultrafast -crf 23 -pix_fmt yuv420p" ;;
    h264/good) echo "-c:v libx264 -preset ultrafast -crf 17 -x264-params bframes=3:cabac=1:aq-mode=1:deblock=1 -pix_fmt yuv420p" ;;
    h264/best) echo "-c:v libx264 -preset slow -crf 14 -pix_fmt yuv420p" ;;
    hevc/draft) echo "-c:v libx265 -preset ultrafast -crf 26 -pix_fmt yuv420p -tag:v hvc1 -x265-params log-level=error" ;;
    hevc/good) echo "-c:v libx265 -preset superfast -crf 21 -pix_fmt yuv420p -tag:v hvc1 -x265-params log-level=error" ;;
    hevc/best) echo "-c:v libx265 -preset slow -crf 17 -pix_fmt yuv420p -tag:v hvc1 -x265-params log-level=error" ;;
    vp9/draft) echo "-c:v libvpx-vp9 -b:v 0 -crf 36 -deadline realtime -cpu-used 8 -row-mt 1 -pix_fmt yuv420p" ;;
    vp9/good) echo "-c:v libvpx-vp9 -b:v 0 -crf 30 -deadline good -cpu-used 4 -row-mt 1 -pix_fmt yuv420p" ;;
    vp9/best) echo "-c:v libvpx-vp9 -b:v 0 -crf 24 -deadline good -cpu-used 1 -row-mt 1 -pix_fmt yuv420p" ;;
    prores/draft) echo "-c:v prores_ks -profile:v 0 -pix_fmt yuv422p10le" ;;  # Proxy
    prores/good) echo "-c:v prores_ks -profile:v 2 -pix_fmt yuv422p10le" ;;   # 422
    prores/best) echo "-c:v prores_ks -profile:v 3 -pix_fmt yuv422p10le" ;;   # 422 HQ
    *) echo "encode-video: no settings for --codec $codec --quality $quality" >&2; return 1 ;;
  esac
}

audio_settings() {
  case "$codec" in
    vp9) echo "-c:a libopus -b:a 192k" ;;
    prores) echo "-c:a pcm_s16le" ;;
    *) echo "-c:a aac -b:a 192k" ;;
  esac
}

# shellcheck disable=SC2207  # the settings are single words
video=($(video_settings)) audio=($(audio_settings))
container=()
case "$format" in
  mp4|mov) container=(-movflags +faststart) ;;
esac
audio_inputs=() joined=""
for i in $(seq 1 $#); do audio_inputs+=(-i "${!i}"); joined+="[$i:a]"; done
# The encoder runs at the lowest priority: the plug-in's drawing, which the encoder waits for
# anyway, goes first, and the encoder takes the processor time the drawing leaves. On two cores at
# 1920x1080, the 2d Spectrum Analyser, frames from the screen file, the whole render ran at 68 %
# of the speed of drawing alone with "superfast" at normal priority, 74 % with it at the lowest,
# 71 % with the fast analysis (CRF 18) at normal priority and 92 % with it at the lowest.
exec nice -n 19 ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt "$pixels" -video_size "$frame_size" -framerate "$fps" -i - \
  "${audio_inputs[@]}" -filter_complex "${joined}concat=n=$#:v=0:a=1[audio]" \
  -map 0:v -map '[audio]' "${video[@]}" \
  "${audio[@]}" ${seconds:+-t "$seconds"} "${container[@]}" -f "$format" "$out"
