#!/usr/bin/env bash
# Usage: tools/play.sh [OPTIONS] [--] FILE...  your own music through the plug-in
#        tools/play.sh --live [OPTIONS]       what the desktop plays, through the plug-in
#
# FILEs of any format FFmpeg reads (FLAC, Ogg Vorbis, Opus, AAC/M4A, MP3, WAV, DSD ...) are
# decoded once, to what the player hands its plug-ins (44.1 kHz, 16-bit, mono or stereo), into a
# cache of WAV files ($XDG_CACHE_HOME/vexilumarine/decoded, else ~/.cache/vexilumarine/decoded;
# RF64 beyond 4 GiB), keyed by each file's path, size and modification time and that format, titled
# by their tags ("artist - title") or else by the file name, and played as one playlist by
# vishost under Wine (build/win64) with the plug-in's "All effects". A file that cannot be
# decoded is named in one line and the rest play.
#
# --live records the monitor of the default output (PulseAudio, or PipeWire's PulseAudio service)
# with parec and hands it to vishost --live; nothing is played back, the desktop already does.
# --source NAME records another source instead (a monitor, a microphone, a virtual cable);
# --list-sources lists their names and descriptions.
#
# With a DISPLAY it plays with sound in a plain, resizable window that fits the screen (no Wine
# virtual desktop): Alt+Enter there goes full screen at the screen's size and back, Escape ends,
# other keys go to vishost. --full-screen plays full screen at the plug-in's own graphics mode and
# --desktop-size full screen at the screen's size, both in a Wine desktop of the screen's size
# (a graphics mode larger than the screen cannot be set there). Without a DISPLAY it runs full
# screen under Xvfb and writes the pictures into DIR/frames, 10 a second (--out DIR, default
# out/play; --out also captures on a display; --capture-fps N for another rate).
#
# OPTIONS: --module N (0: all effects; with --plugin any module --list shows),
#          --plugin DLL (another vis_*.dll, i686 or x86_64: the tree of its width runs it),
#          --list (prints the plug-in's modules), --seconds S (stop after S seconds), --out DIR,
#          --start S (begin S seconds into the first file), --full-screen, --desktop-size,
#          --trace-queries (print vishost's answers to the plug-in's title queries),
#          --source NAME, --list-sources (with --live);
#          -- ends the options (for file names that begin with --)
# Each play has a Wine session and a player folder of its own: plays, renders and tests run
# beside it in one checkout. A signal ends it with nothing of it left running.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/wine.sh"
build=$here/../build/win64
say() { echo "play: $*" >&2; }

plugin="" list=0 live=0 module=0 seconds="" start="" out="$here/../out/play" out_given="" capture_fps=10 trace="" source="" watch=window
files=() wavs=() names=()  # names: each cached WAV as vishost sees it, then the user's file
while [ $# -gt 0 ]; do
  case "$1" in
    --live) live=1 ;;
    --source) source=${2:?--source needs a name (see --list-sources)}; shift ;;
    --list-sources) pactl list sources | awk '$1 == "Name:" { name = $2 }
      $1 == "Description:" { sub(/^[ \t]*Description: /, ""); printf "  %s  %s\n", name, $0 }'; exit ;;
    --module) module=${2:?--module needs a number}; shift ;;
    --plugin) plugin=${2:?--plugin needs a DLL}; shift ;;
    --list) list=1 ;;
    --seconds) seconds=${2:?--seconds needs a number}; shift ;;
    --start) start=${2:?--start needs a number of seconds}; shift ;;
    --out) out=${2:?--out needs a folder}; out_given=1; shift ;;
    --capture-fps) capture_fps=${2:?--capture-fps needs a number}; shift ;;
    --trace-queries) trace=--trace-queries ;;
    --full-screen) watch=full-screen ;;
    --desktop-size) watch=desktop-size ;;
    --help|-h) sed -n '2,35s/^# \{0,1\}//p' "$0"; exit 0 ;;
    --) shift; files+=("$@"); break ;;
    --*) say "unknown option '$1' (see --help)"; exit 2 ;;
    *) files+=("$1") ;;
  esac
  shift
done
[[ $module =~ ^[0-9]+$ ]] || { say "--module '$module' is not a module number (--list lists them)"; exit 2; }
if [ -n "$plugin" ]; then build=$(tree_for_plugin "$plugin" "$here/..") || exit 1; fi
[ -x "$build/player/vishost.exe" ] || { say "vishost is not built: make $(basename "$build")"; exit 1; }
plugin_args=()
[ -z "$plugin" ] || plugin_args=(--plugin "$(winpath "$(realpath "$plugin")")")
[ "$list" -eq 0 ] || list_modules_and_exit "$build" "$build/player" "${plugin_args[@]}"
if [ "$live" -eq 1 ] && [ ${#files[@]} -gt 0 ]; then say "--live plays no files"; exit 2; fi
if [ "$live" -eq 0 ] && [ ${#files[@]} -eq 0 ]; then say "no files to play (see --help)"; exit 2; fi

. "$here/lib/decode-cache.sh"
work=""
remove_temporary_files() {
  rm -f "$decode_cache"/*."$$".part*
  [ -z "$work" ] || rm -rf "$work"
}
end_on_signals remove_temporary_files

# ---- vishost under Wine ----
args=(--module "$module" --player-timing $trace "${plugin_args[@]}")
if [ -n "$seconds" ]; then args+=(--seconds "$seconds"); else args+=(--frames 100000000); fi
[ -z "$start" ] || args+=(--start "$start")

if [ "$live" -eq 1 ]; then
  command -v parec >/dev/null || { say "parec is missing (Debian package pulseaudio-utils)"; exit 1; }
  pactl info >/dev/null 2>&1 || { say "no sound server to record (PulseAudio or PipeWire)"; exit 1; }
  # PulseAudio before 15 has no get-default-sink; its "pactl info" names the sink.
  sink=$(pactl get-default-sink 2>/dev/null || pactl info 2>/dev/null | sed -n 's/^Default Sink: //p')
  monitor=${source:-$sink.monitor}
  name=$(pactl list sources 2>/dev/null | awk -v m="$monitor" '
    $1 == "Name:" { here = ($2 == m) } here && $1 == "Description:" { sub(/^[ \t]*Description: /, ""); print; exit }')
  if [ -z "$name" ] && [ -n "$source" ]; then say "no source '$source'; the sources are:"; "$0" --list-sources >&2; exit 1; fi
  if [ -z "$name" ]; then
    say "no monitor of the default output '${sink:-(none named)}' found; recording @DEFAULT_MONITOR@"
    name="monitor of the default output"
  fi
  args+=(--live --live-source "$name")
  input() { parec -d "${source:-@DEFAULT_MONITOR@}" --raw --format=s16le --rate=44100 --channels=2 --latency-msec=20 2>/dev/null; }
else
  for file in "${files[@]}"; do
    if decoded "$file"; then wavs+=("$(winpath "$decoded_wav")"); names+=("$(winpath "$decoded_wav")" "$file"); fi
  done
  [ ${#wavs[@]} -gt 0 ] || { say "none of the files can be played"; exit 1; }
  input() { cat /dev/null; }
fi

# vishost, its input from `input`; its exit status (parec ends on a broken pipe when vishost does).
play() {
  local status
  set +e
  input | "$WINELOADER" ./vishost.exe "$@"
  status=${PIPESTATUS[1]}
  set -e
  return "$status"
}

capturing=0
if [ -n "$out_given" ] || [ -z "${DISPLAY:-}" ]; then
  capturing=1
  mkdir -p "$out/frames"; out=$(cd "$out" && pwd)
  rm -f "$out"/frames/frame*.bmp
  args+=(--out "$(winpath "$out/frames")" --capture-fps "$capture_fps")
fi
files_given=()  # after every option
[ ${#wavs[@]} -eq 0 ] || files_given=(-- "${wavs[@]}")
# vishost's messages name each file as the user gave it, not as its cached WAV.
user_names() {
  local line i
  while IFS= read -r line; do
    for ((i = 0; i + 1 < ${#names[@]}; i += 2)); do line=${line//"${names[i]}"/"${names[i + 1]}"}; done
    printf '%s\n' "$line"
  done
}
exec 3>&2 2> >(drop_wine_chatter | user_names >&2)
filter=$!
# A Wine session of its own (unless inside one of this tree already, as in the tests): on a display
# its windows are plain X windows, or full screen in a Wine desktop of the screen's size; without
# one, a private Xvfb.
if [ -n "${DISPLAY:-}" ] && [ -z "${VEXIL_WINE_SESSION:-}" ]; then
  screen=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ { size = $2 } END { print size }') || true
  case "$watch" in
    window) desktop=none; args+=(--windowed) ;;
    desktop-size) desktop=${screen:-1600x1200}; args+=(--desktop-size) ;;
    *) desktop=${screen:-1600x1200} ;;
  esac
  export VEXIL_USE_DISPLAY=1 VEXIL_DESKTOP=$desktop
elif [ "$watch" = desktop-size ]; then
  args+=(--desktop-size)
fi
wine_session_start "$build"
player=$(private_player "$build/player")
work=$(dirname "$player")
cd "$player"
status=0
play "${args[@]}" "${files_given[@]}" &
wait $! || status=$?
[ "$capturing" -eq 0 ] || say "pictures in $out/frames"
# The last messages are still in the filter: let it write them out before this script ends.
exec 2>&3 3>&-
for _ in $(seq 50); do kill -0 "$filter" 2>/dev/null || break; sleep 0.1; done
exit "$status"
