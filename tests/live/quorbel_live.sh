#!/usr/bin/env bash
# Usage: quorbel_live.sh NATIVE_BUILD_DIR OUT_DIR   (inside pulse_session.sh)
#
# tools/quorbel-live.sh on a private Xvfb display while paplay plays kicks (make_beat.py) into
# the private server's null sink: quorbel-feed records its monitor, quorbel draws from the frame
# file. Checks (quorbel_live_check.py): after the warm-up the beats come once per kick, each
# brings circles, the pictures are not black; Escape in quorbel ends quorbel and the feeder.
set -euo pipefail
build=$(cd "$1" && pwd)
out=$(mkdir -p "$2" && cd "$2" && pwd)
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
export WINEPREFIX="$work/prefix"
frame_file="$WINEPREFIX/drive_c/data.txt"

python3 "$here/make_beat.py" "$work/beat.wav" 120
mkdir -p "$work/frames"
QUORBEL_CAPTURE_DIR="$work/frames" QUORBEL_CAPTURE_FRAMES="1200-1000000:40" QUORBEL_STATE_LOG="$work/state.log" \
  "$here/../../tools/quorbel-live.sh" "$build" >"$work/stdout.txt" 2>"$work/stderr.txt" &
live_pid=$!
paplay "$work/beat.wav" &
player_pid=$!

python3 "$here/quorbel_live_check.py" wait "$work/state.log" 45 || fail "quorbel did not follow the kicks (see above)"
wid=$(xdotool search --name "Quib's Winamp to OpenGL Audio Visual Flurbex" | head -n1)
[ -n "$wid" ] || fail "no quorbel window"
# quorbel looks at the key at its next idle call: hold it down for a moment.
xdotool windowfocus --sync "$wid" keydown Escape
sleep 0.5
xdotool keyup Escape 2>/dev/null || true
status=""
for _ in $(seq 1 100); do
  if ! kill -0 "$live_pid" 2>/dev/null; then status=0; wait "$live_pid" || status=$?; break; fi
  sleep 0.1
done
[ -n "$status" ] || fail "Escape did not end quorbel-live.sh"
live_pid=""
[ "$status" -eq 0 ] || fail "quorbel-live.sh ended with status $status: $(cat "$work/stderr.txt")"
before=$(stat -c %Y.%i "$frame_file")
sleep 0.5
[ "$(stat -c %Y.%i "$frame_file")" = "$before" ] || fail "the feeder goes on writing after quorbel ended"
python3 "$here/quorbel_live_check.py" check "$work" "$out"
