#!/usr/bin/env bash
# End-to-end: the real quorbel on a private Xvfb display, fed by a producer that keeps
# rewriting the frame file with a beat-heavy spectrum.
#
# usage: e2e_xvfb.sh QUORBEL_BINARY OUTPUT_DIR
# Checks: the first frame shows the start background; after the 1200-frame warm-up the scene
# changes with the beats (tint, circles, rings or bars, spin periods); the display shows
# the picture; Escape, typed into the window, ends the program with status 0.
# Frames are kept as PNG files in OUTPUT_DIR for people to look at.
set -euo pipefail
quorbel=$(realpath "$1")
out=$(mkdir -p "$2" && realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
bindir=$(dirname "$quorbel")
work=$(mktemp -d /tmp/quorbel-e2e-XXXXXX)

xvfb_pid="" producer_pid="" viewer_pid=""
cleanup() {
  for pid in $viewer_pid $producer_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "e2e: FAIL: $*" >&2; exit 1; }

# A private X display.
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

# Drive C of a private Wine prefix holds the frame file.
export WINEPREFIX="$work/prefix"
mkdir -p "$WINEPREFIX/drive_c" "$work/frames"
python3 "$here/frame_producer.py" "$WINEPREFIX/drive_c/data.txt" --seconds 110 --period 0.4 &
producer_pid=$!
for _ in $(seq 1 100); do [ -f "$WINEPREFIX/drive_c/data.txt" ] && break; sleep 0.05; done

cd "$bindir"
QUORBEL_CAPTURE_DIR="$work/frames" QUORBEL_CAPTURE_FRAMES="1,1200,1300-100000:100" \
  QUORBEL_STATE_LOG="$work/state.log" "$quorbel" >"$work/stdout.txt" 2>"$work/stderr.txt" &
viewer_pid=$!

# Let it run until the scene has gone through its paces (or 90 s pass).
python3 "$here/e2e_check.py" wait "$work/state.log" 90 || fail "the scene did not change as expected (see above)"
kill -0 "$viewer_pid" 2>/dev/null || fail "quorbel ended early"

# What the display shows, straight from the X server.
wid=$(xdotool search --name "Quib's Winamp to OpenGL Audio Visual Flurbex" | head -n1)
[ -n "$wid" ] || fail "no window with the expected title"
import -display "$DISPLAY" -window "$wid" "$work/window.ppm"

# Escape, pressed in the quorbel window. The program looks at the key at its next idle
# call, so the key is held down for a moment: a press and release handled together before
# that call leave no trace, by design.
xdotool windowfocus --sync "$wid" keydown Escape
sleep 0.5
xdotool keyup Escape 2>/dev/null || true
status=""
for _ in $(seq 1 100); do
  if ! kill -0 "$viewer_pid" 2>/dev/null; then
    set +e; wait "$viewer_pid"; status=$?; set -e
    break
  fi
  sleep 0.1
done
viewer_pid_done=$viewer_pid
viewer_pid=""
[ -n "$status" ] || { kill "$viewer_pid_done" 2>/dev/null; fail "Escape did not end quorbel"; }
[ "$status" -eq 0 ] || fail "quorbel exited with status $status after Escape"

python3 "$here/e2e_check.py" check "$work" "$bindir/textures/bgd_start.tga" "$out"
echo "e2e: PASS (frames in $out)"
