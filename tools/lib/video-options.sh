# Sourced by render.sh: the video's size, quality, codec and container, checked before anything
# starts. The caller defines usage_error() (a one-line message and exit 2) and say().

video_size_names="720p=1280x720 1080p=1920x1080 1440p=2560x1440 4k=3840x2160"
video_codecs="h264 hevc vp9 prores"
video_qualities="draft good best"

# Prints WIDTHxHEIGHT for a --size value: WIDTHxHEIGHT or one of the names. Any shape; each side
# even (4:2:0 video halves both), 120 to 3840, the longer one at least 160, and no more pixels
# than 3840 x 2160 in all.
video_size() {
  local value=${1,,} pair width height
  for pair in $video_size_names; do
    if [ "$value" = "${pair%%=*}" ]; then echo "${pair#*=}"; return 0; fi
  done
  local accepted="even WIDTHxHEIGHT from 160x120 to 3840x2160 in any shape (2160x3840 at most standing), or 720p, 1080p, 1440p, 4k"
  [[ $value =~ ^([0-9]{1,5})x([0-9]{1,5})$ ]] || usage_error "--size '$1' is not a size; the sizes are $accepted"
  width=$((10#${BASH_REMATCH[1]})) height=$((10#${BASH_REMATCH[2]}))
  if [ $((width % 2)) -ne 0 ] || [ $((height % 2)) -ne 0 ]; then
    usage_error "--size '$1' has an odd side; the sizes are $accepted"
  fi
  local short=$((width < height ? width : height)) long=$((width > height ? width : height))
  if [ "$short" -lt 120 ] || [ "$long" -lt 160 ]; then usage_error "--size '$1' is too small; the sizes are $accepted"; fi
  if [ "$long" -gt 3840 ] || [ $((width * height)) -gt $((3840 * 2160)) ]; then
    usage_error "--size '$1' is too large; the sizes are $accepted"
  fi
  echo "${width}x${height}"
}

# The container OUT's extension names: mp4, mov, webm, matroska, or nothing.
video_container_of() {
  case "${1,,}" in
    *.mp4|*.m4v) echo mp4 ;;
    *.mov) echo mov ;;
    *.webm) echo webm ;;
    *.mkv) echo matroska ;;
    *) echo "" ;;
  esac
}

# The codec for OUT when --codec is not given: the one its container is made for (.webm: VP9, .mov:
# ProRes), else H.264.
video_default_codec() {
  case "$(video_container_of "$1")" in
    webm) echo vp9 ;;
    mov) echo prores ;;
    *) echo h264 ;;
  esac
}

# The container the video is written in: OUT's, else the one the codec needs.
video_container() {  # CODEC OUT
  local named
  named=$(video_container_of "$2")
  if [ -n "$named" ]; then echo "$named"; return 0; fi
  case "$1" in
    vp9) echo webm ;;
    prores) echo mov ;;
    *) echo mp4 ;;
  esac
}

ffmpeg_encoder_of() {
  case "$1" in
    h264) echo libx264 ;;
    hevc) echo libx265 ;;
    vp9) echo libvpx-vp9 ;;
    prores) echo prores_ks ;;
  esac
}

ffmpeg_has_encoder() {
  ffmpeg -hide_banner -encoders 2>/dev/null | awk '{ print $2 }' | grep -qx -- "$1"
}

# Checks --codec and --quality against each other, OUT's container and this machine's ffmpeg.
check_video_choices() {  # CODEC QUALITY OUT
  local codec=$1 quality=$2 out=$3 container holds available="" c
  [[ " $video_qualities " == *" $quality "* ]] ||
    usage_error "--quality '$quality' is not one of ${video_qualities// /, } (good by default)"
  [[ " $video_codecs " == *" $codec "* ]] || usage_error "--codec '$codec' is not one of ${video_codecs// /, } (h264 by default)"
  container=$(video_container "$codec" "$out")
  case "$container" in
    mp4) holds="h264 hevc" ;;
    mov) holds="h264 hevc prores" ;;
    webm) holds="vp9" ;;
    matroska) holds="$video_codecs" ;;
  esac
  [[ " $holds " == *" $codec "* ]] ||
    usage_error "--codec $codec cannot go in a .${out##*.} file, which holds ${holds// /, } (vp9 goes in .webm, prores in .mov)"
  if ! ffmpeg_has_encoder "$(ffmpeg_encoder_of "$codec")"; then
    for c in $video_codecs; do ffmpeg_has_encoder "$(ffmpeg_encoder_of "$c")" && available+="${available:+, }$c"; done
    usage_error "--codec $codec needs ffmpeg's encoder $(ffmpeg_encoder_of "$codec"), which this ffmpeg lacks; it has ${available:-none of them}"
  fi
}

# Refuses an OUT whose folder cannot be made or written, saying why, before anything starts.
check_out_writable() {  # OUT
  local folder probe why
  folder=$(dirname -- "$1")
  if [ -e "$folder" ] && [ ! -d "$folder" ]; then say "cannot write $1: $folder is a file, not a folder"; exit 1; fi
  if ! why=$(mkdir -p -- "$folder" 2>&1); then
    say "cannot write $1: its folder $folder cannot be made (${why##*: })"; exit 1
  fi
  probe="$folder/.$(basename -- "$1").$$.probe"
  if ! why=$( (: >"$probe") 2>&1); then
    say "cannot write $1: its folder $folder is not writable (${why##*: })"; exit 1
  fi
  rm -f -- "$probe"
}

# A picture of an exact size is the plug-in at the desktop's own size: the private player folder's
# settings lose what would show it otherwise (a window) or letterbox it (widescreen).
settings_for_exact_size() {  # PLAYER_DIR
  local ini=$1/Plugins/plugin.ini
  [ -f "$ini" ] || return 0
  sed -i -E '/^(windowed|widescreen|desktop size)=/Id' "$ini"
}

# vishost's arguments for the frames of a render in CODEC: read from the session's screen file
# (when the Xvfb keeps one) and converted to I420 on vishost's writer thread; ProRes keeps its
# 4:2:2 and takes the pixels as they are. One argument a line.
render_frame_args() {  # CODEC
  [ -z "${VEXIL_SCREEN_FILE:-}" ] || printf '%s\n' --screen-file "$(winpath "$VEXIL_SCREEN_FILE")"
  [ "$1" = prores ] || echo --yuv420p
}
