#!/usr/bin/env bash
# Usage: tools/render.sh FILE... -o OUT [--size WxH] [--quality Q] [--codec C] [--fps N] [--mode N]
#                        [--module N] [--seconds S] [--force] [--plugin DLL]
#        tools/render.sh [--plugin DLL] --list
#
# Renders music through the plug-in into a video, offline: vishost runs the plug-in on a virtual
# clock (frame k is drawn at k / fps seconds, however long it takes) in a private Xvfb under Wine
# (build/win64) and pipes every frame raw into ffmpeg, which writes the video with the music.
# FILEs of any format FFmpeg reads are decoded through play.sh's cache and titled by their tags;
# together they make one video. A file that is missing or cannot be decoded is named in one line,
# before Wine starts, and the rest render. The render runs from a private copy of the player's
# folder that starts from your plugin.ini: your plugin.ini is never changed.
#
#   -o OUT        the video: .mp4 (default), .mov, .webm or .mkv; written under a temporary name
#                 and renamed when complete
#   --size WxH    the video's exact size, any shape: even sides from 160x120 to 3840x2160
#                 (standing up to 2160x3840), or 720p, 1080p, 1440p, 4k (16:9). The plug-in draws
#                 full screen at the desktop's own size on a screen of that size. Default: the
#                 graphics mode of plugin.ini, or --mode
#   --quality Q   draft, good or best (default good)
#   --codec C     h264, hevc (.mp4, .mov, .mkv), vp9 (.webm, .mkv) or prores (.mov, .mkv). Default:
#                 the one OUT's extension is made for (.webm: vp9, .mov: prores), else h264
#   --fps N       frames per second, 1 to 240 (default 60). The effects step once per frame, so
#                 their pace follows the frame rate, as in the player
#   --mode N      the plug-in's graphics mode for this render, 0-10 (its picture size, e.g. 5: 640 x 480,
#                 10: 1600 x 1200; default: plugin.ini's); not with --size
#   --module N    0: all effects (default), 1-7 one effect; with --plugin, any module --list shows
#   --seconds S   only the first S seconds, a whole number from 1 (default: all of the music)
#   --force       replace an existing OUT (default: an existing OUT is kept and nothing renders)
#   --plugin DLL  another vis_*.dll (i686 or x86_64; the tree of its width runs it)
#   --list        prints the plug-in's modules
#
# A video with fewer frames than the render set out to make (vishost ended early) is not kept:
# the render fails. SIGINT, SIGTERM and SIGHUP end it at once (exit 130, 143, 129) without OUT,
# temporary files or processes left. Renders, plays and tests run beside it in the same checkout
# in Wine sessions of their own.
#
# For make demo: --player DIR renders from that player folder (tools/wine/player-folder.sh), and
# --capture-at F1,F2,... --frames-out DIR also writes those frames as BMP files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/wine.sh"
build=$here/../build/win64
say() { echo "render: $*" >&2; }
usage_error() { say "$* (see --help)"; exit 2; }

out="" fps=60 mode="" module=0 seconds="" force=0 player="" capture_at="" frames_out="" plugin="" list=0
size="" quality=good codec=""
files=()
need() { [ $# -ge 2 ] || usage_error "$1 needs a value"; }
while [ $# -gt 0 ]; do
  case "$1" in
    -o|--out) need "$@"; out=$2; shift ;;
    --size) need "$@"; size=$2; shift ;;
    --quality) need "$@"; quality=$2; shift ;;
    --codec) need "$@"; codec=$2; shift ;;
    --fps) need "$@"; fps=$2; shift ;;
    --mode) need "$@"; mode=$2; shift ;;
    --module) need "$@"; module=$2; shift ;;
    --seconds) need "$@"; seconds=$2; shift ;;
    --force) force=1 ;;
    --player) need "$@"; player=$2; shift ;;
    --capture-at) need "$@"; capture_at=$2; shift ;;
    --frames-out) need "$@"; frames_out=$2; shift ;;
    --plugin) need "$@"; plugin=$2; shift ;;
    --list) list=1 ;;
    --help|-h) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    -*) usage_error "unknown option '$1'; the options are -o OUT, --size WxH, --quality Q, --codec C, --fps N (1-240), --mode N (0-10), --module N, --seconds S, --force, --plugin DLL, --list" ;;
    *) files+=("$1") ;;
  esac
  shift
done
. "$here/lib/video-options.sh"
[[ $fps =~ ^[0-9]+$ ]] && [ "$fps" -ge 1 ] && [ "$fps" -le 240 ] || usage_error "--fps '$fps' is not a whole number from 1 to 240"
[[ $module =~ ^[0-9]+$ ]] || usage_error "--module '$module' is not a module number (--list lists them)"
[ -z "$mode" ] || [[ $mode =~ ^([0-9]|10)$ ]] || usage_error "--mode '$mode' is not a graphics mode from 0 to 10"
[ -z "$seconds" ] || [[ $seconds =~ ^[0-9]+$ ]] && [ "${seconds:-1}" -ge 1 ] || usage_error "--seconds '$seconds' is not a whole number of seconds"
if [ -n "$plugin" ]; then build=$(tree_for_plugin "$plugin" "$here/..") || exit 1; fi
[ -n "$player" ] || player=$build/player
[ -x "$player/vishost.exe" ] || { say "vishost is not built: make $(basename "$build")"; exit 1; }
plugin_args=()
[ -z "$plugin" ] || plugin_args=(--plugin "$(winpath "$(realpath "$plugin")")")
[ "$list" -eq 0 ] || list_modules_and_exit "$build" "$player" "${plugin_args[@]}"
[ -n "$out" ] || usage_error "no -o OUT"
[ ${#files[@]} -gt 0 ] || usage_error "no files to render"
[ -z "$size" ] || size=$(video_size "$size")
[ -z "$size" ] || [ -z "$mode" ] || usage_error "--size and --mode both set the picture's size; give one"
[ -n "$codec" ] || codec=$(video_default_codec "$out")
for tool in ffmpeg ffprobe; do command -v "$tool" >/dev/null || { say "$tool is missing (Debian package ffmpeg)"; exit 1; }; done
check_video_choices "$codec" "$quality" "$out"
if [ -e "$out" ] && [ "$force" -eq 0 ]; then say "$out exists; --force replaces it"; exit 1; fi
check_out_writable "$out"
# OUT as given names it in every message; out_path is where it is written.
out_path=$(cd "$(dirname -- "$out")" && pwd)/$(basename -- "$out")

# Everything from here on ends cleanly on a signal: no partial video, no temporary folder, no
# process of ours. Long commands run in the background and are waited for, so a signal to this
# script alone is acted on at once.
. "$here/lib/decode-cache.sh"
partial="$(dirname "$out_path")/.$(basename "$out_path").$$.part" work=""
remove_temporary_files() {
  rm -f "$partial" "$decode_cache"/*."$$".part*
  [ -z "$work" ] || rm -rf "$work"
}
end_on_signals remove_temporary_files "render: interrupted; no video written"

# Every file is decoded (or found in the cache) before Wine starts.
wavs=()
for file in "${files[@]}"; do
  if decoded "$file"; then wavs+=("$decoded_wav"); fi
done
[ ${#wavs[@]} -gt 0 ] || { say "none of the files can be decoded"; exit 1; }

# A Wine session of its own, unless inside one of this tree already (the tests), with --size on a
# screen and a Wine desktop of exactly that size; and a player folder of its own: --mode, --size
# and the capture settings written into plugin.ini reach neither the user's file nor another run's.
[ -z "$size" ] || export VEXIL_SCREEN=$size VEXIL_DESKTOP=$size
wine_session_start "$build"
player=$(private_player "$player")
work=$(dirname "$player")
[ -z "$size" ] || settings_for_exact_size "$player"

args=(--render --fps "$fps" --module "$module" "${plugin_args[@]}")
[ -z "$mode" ] || args+=(--mode "$mode")
[ -z "$seconds" ] || args+=(--seconds "$seconds")
[ -z "$size" ] || args+=(--desktop-size)
mapfile -t frame_args < <(render_frame_args "$codec")
args+=("${frame_args[@]}")
[ -z "$capture_at" ] || { mkdir -p "$frames_out"; args+=(--capture-at "$capture_at" --out "$(winpath "$(cd "$frames_out" && pwd)")"); }
for wav in "${wavs[@]}"; do args+=("$(winpath "$wav")"); done

# The progress lines: in place on a terminal, else the first line of each tenth. Wine's and ALSA's
# chatter is dropped; every other line passes.
show_progress() {
  local tty=0 line last_tenth=-1 tenth
  [ -t 2 ] && tty=1
  while IFS= read -r line; do
    line=${line%$'\r'}
    case "$line" in
      vishost:\ rendering\ *\ frames\ *)
        echo "$line" | cut -d' ' -f3 >"$work/frames-to-make"
        echo "$line" >&2 ;;
      render:\ frame*)
        if [ "$tty" -eq 1 ]; then printf '\r%s\033[K' "$line" >&2; continue; fi
        tenth=$(sed -n 's/.*(\([0-9]*\) %).*/\1/p' <<<"$line"); tenth=$((tenth / 10))
        [ "$tenth" -eq "$last_tenth" ] || echo "$line" >&2
        last_tenth=$tenth ;;
      *) [ "$tty" -eq 0 ] || printf '\r\033[K' >&2; echo "$line" >&2 ;;
    esac
  done < <(drop_wine_chatter)
  [ "$tty" -eq 0 ] || echo >&2
}

# The encoder's messages name OUT as the user gave it, not the temporary file.
name_out_as_given() {
  local line
  while IFS= read -r line; do echo "${line//"$partial"/$out}"; done
}

cd "$player"
say "rendering ${#wavs[@]} file(s) at $fps fps into $out"
(
  set +e
  "$WINELOADER" ./vishost.exe "${args[@]}" 2> >(show_progress) </dev/null |
    "$here/lib/encode-video.sh" --codec "$codec" --quality "$quality" --format "$(video_container "$codec" "$out")" \
      ${size:+--size "$size"} "$fps" "$partial" "$seconds" "${wavs[@]}" 2> >(name_out_as_given >&2)
  echo "${PIPESTATUS[@]}" >"$work/statuses"
) &
wait $! || true
read -r -a statuses <"$work/statuses"
# ffmpeg first: when it fails, vishost fails too, on the broken pipe.
if [ "${statuses[1]}" -ne 0 ]; then say "ffmpeg failed (exit status ${statuses[1]}); no video written"; exit 1; fi
if [ "${statuses[0]}" -ne 0 ]; then say "vishost failed (exit status ${statuses[0]}); no video written"; exit 1; fi
# A render cut short (vishost ended early, its window closed, its Wine processes gone) is no video.
to_make=$(cat "$work/frames-to-make" 2>/dev/null || true)
made=$(ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets -of csv=p=0 "$partial" 2>/dev/null || true)
if [ -z "$to_make" ]; then say "vishost never said how many frames it would render; no video written"; exit 1; fi
if [ "${made:-0}" != "$to_make" ]; then say "the render was cut short: ${made:-0} of $to_make frames; no video written"; exit 1; fi
trap '' INT TERM HUP  # complete: a signal from here on does not undo it
mv -f "$partial" "$out_path"
say "$out: $made frames, $(du -h "$out_path" | cut -f1)"
