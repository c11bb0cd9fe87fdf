#!/usr/bin/env bash
# Usage: quorbel_live.sh OUT_DIR LAUNCHER [ARGS...]   (inside pulse_session.sh)
#
# A quorbel-live launcher (tools/quorbel-live.sh, or an installed bin/quorbel-live) on a private
# Xvfb display while paplay plays kicks (make_beat.py) into the private server's null sink, or
# into the sink $QUORBEL_LIVE_SINK: quorbel-feed records a monitor, quorbel draws from the frame
# file. Checks (quorbel_live_check.py): after the warm-up the beats come once per kick, each
# brings circles, the pictures are not black; the run's working folder holds the frame file and
# the textures; quorbel never looked for the frame file before the first frame; Escape in quorbel
# ends quorbel and the feeder, and the folder goes.
set -euo pipefail
out=$(mkdir -p "$1" && cd "$1" && pwd)
rm -f "$out"/frame_*.png
shift
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/quorbel-live-XXXXXX)
xvfb_pid="" live_pid="" player_pid=""
cleanup() {
  for pid in $player_pid $live_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  cp "$work/state.log" "$work/stderr.txt" "$out/" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "quorbel-live: FAIL: $*" >&2; exit 1; }

Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

python3 "$here/make_beat.py" "$work/beat.wav" 120
mkdir -p "$work/frames"
QUORBEL_CAPTURE_DIR="$work/frames" QUORBEL_CAPTURE_FRAMES="1200-1000000:40" QUORBEL_STATE_LOG="$work/state.log" \
  "$@" >"$work/stdout.txt" 2>"$work/stderr.txt" &
live_pid=$!
paplay ${QUORBEL_LIVE_SINK:+-d "$QUORBEL_LIVE_SINK"} "$work/beat.wav" &
player_pid=$!

python3 "$here/quorbel_live_check.py" wait "$work/state.log" 45 || fail "quorbel did not follow the kicks (see above)"
wid=$(xdotool search --name "Quib's Winamp to OpenGL Audio Visual Flurbex" | head -n1)
[ -n "$wid" ] || fail "no quorbel window"
folders=("$XDG_RUNTIME_DIR"/quorbel-live.*)
[ ${#folders[@]} -eq 1 ] && [ -f "${folders[0]}/drive_c/data.txt" ] && [ -f "${folders[0]}/textures/bars.tga" ] ||
  fail "the working folder under XDG_RUNTIME_DIR lacks the frame file or the textures: $(ls -R "$XDG_RUNTIME_DIR")"
feed_pid=$(pgrep -P "$live_pid" -x quorbel-feed) || fail "no quorbel-feed beside quorbel"
# quorbel looks at the key at its next idle call: hold it down for a moment.
xdotool windowfocus --sync "$wid" keydown Escape
sleep 0.5
xdotool keyup Escape 2>/dev/null || true
status=""
for _ in $(seq 1 100); do
  if ! kill -0 "$live_pid" 2>/dev/null; then status=0; wait "$live_pid" || status=$?; break; fi
  sleep 0.1
done
[ -n "$status" ] || fail "Escape did not end quorbel-live"
live_pid=""
[ "$status" -eq 0 ] || fail "quorbel-live ended with status $status: $(cat "$work/stderr.txt")"
! kill -0 "$feed_pid" 2>/dev/null || fail "quorbel-feed goes on after quorbel ended"
[ -z "$(ls -A "$XDG_RUNTIME_DIR")" ] || fail "the working folder stays behind: $(ls "$XDG_RUNTIME_DIR")"
! grep -q 'could not be opened' "$work/stdout.txt" ||
  fail "quorbel started before the first frame: $(grep -c 'could not be opened' "$work/stdout.txt") times 'file could not be opened'"
python3 "$here/quorbel_live_check.py" check "$work" "$out"
