#!/usr/bin/env bash
# Usage: soak-wine.sh [SECONDS] [BUILD_DIR]       (600 s of build/win64 by default)
#
# Plays "All effects" with every overlay on (title, play time, frames per second) in vishost
# under Wine for SECONDS, the demo song over and over with a new title each time, and samples
# the vishost process every few seconds: private bytes, GDI and USER objects, the slowest Render
# and the longest frame. The effects take turns in order, short enough for all seven to have
# run before the first minute (4 s each and 1 s fades; in runs shorter than two minutes 1 s and
# 0.25 s, all seven before the first half): the driver compiles and keeps code for every new
# picture state, which is growth a first showing may make. It fails when
#   - the private bytes or an object count grows by more than 1 % after the first minute (after
#     the first half in runs shorter than two minutes),
#   - a Render after the warm-up (the intro and the first effect's start, 15 s) takes longer than
#     SOAK_RENDER_LIMIT_MS (100; 0: reported, not checked) of wall time, or more than 100 ms of
#     the visualisation thread's processor time (on a busy machine the wall time also counts the
#     time other programs had the processor),
#   - Quit does not return, or vishost fails.
# Inside a Wine session (make test-wine64) it uses that session; alone it starts one.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
seconds=${1:-600}
tree=$(cd "${2:-$here/../../build/win64}" && pwd)
player="$tree/player"
interval=$(( seconds >= 300 ? 10 : 5 ))
baseline=$(( seconds >= 120 ? 60 : seconds / 2 ))
warmup=15
limit=${SOAK_RENDER_LIMIT_MS:-100}

# The overlays for this run only; the plug-in's own settings file is put back afterwards.
ini="$player/Plugins/plugin.ini"
saved=$(mktemp)
had_ini=0
[ -f "$ini" ] && { cp "$ini" "$saved"; had_ini=1; }
restore() {
  if [ "$had_ini" = 1 ]; then cp "$saved" "$ini"; else rm -f "$ini"; fi
  rm -f "$saved"
}
trap restore EXIT
if [ "$seconds" -ge 120 ]; then effect=4000 fade=1000; else effect=1000 fade=250; fi
printf '[Vexilumarine]\r\nshow title=TRUE\r\nshow time=TRUE\r\nshow FPS=TRUE\r\nrandom effect order=FALSE\r\neffect length=%d\r\nfade length=%d\r\n' \
  "$effect" "$fade" >"$ini"

# The demo song lasts 96 s: enough entries to outlast the run.
titles=()
for i in $(seq 1 $(( seconds / 90 + 2 ))); do titles+=(--title "Soak $i - %s 100% title"); done

log=$(mktemp)
trap 'restore; rm -f "$log"' EXIT
cd "$player"
status=0
VEXIL_TEST_TIMEOUT=$(( seconds + 120 )) "$here/../wine/wine-run.sh" "$player/vishost.exe" --module 0 --mute \
  --seconds "$seconds" --resource-log "$interval" "${titles[@]}" >"$log" || status=$?
grep '^resources:' "$log" | sed 's/^resources: //'

awk -v baseline="$baseline" -v warmup="$warmup" -v limit="$limit" -v status="$status" '
  function after(label) { return match($0, label "[0-9.]+") ? substr($0, RSTART + length(label), RLENGTH - length(label)) + 0 : -1 }
  /^resources: [0-9]+ s, frame/ {
    t = $2 + 0
    private = after("private "); gdi = after("GDI "); user = after("USER ")
    render = after("slowest Render "); frame = after("longest frame "); cpu = after("processor time ")
    if (t >= baseline && !based) { based = 1; p0 = private; g0 = gdi; u0 = user; t0 = t }
    if (based) {
      if (private > pmax) pmax = private
      if (gdi > gmax) gmax = gdi
      if (user > umax) umax = user
      pend = private; gend = gdi; uend = user; tend = t
    }
    if (t > warmup) {
      if (render > worstRender) worstRender = render
      if (cpu > worstCpu) worstCpu = cpu
      if (frame > worstFrame) worstFrame = frame
      slow += after("over 100 ms ")
      frames = after("frame ")
    } else {
      warmFrames = after("frame ")
    }
  }
  /^resources: before Init/ { bg = after("GDI "); bu = after("USER "); bp = after("private ") }
  /^resources: after Quit/ { ag = after("GDI "); au = after("USER "); ap = after("private ") }
  /^vishost: Quit returned/ { quit = 1 }
  END {
    fail = 0
    if (!based) { print "soak: FAIL: no sample after " baseline " s"; exit 1 }
    if (g0 <= 0) { print "soak: FAIL: no GDI object count"; fail = 1 }
    printf "soak: at %d s: private %d bytes, GDI %d, USER %d\n", t0, p0, g0, u0
    printf "soak: at %d s: private %d bytes, GDI %d, USER %d (highest after %d s: %d bytes, GDI %d, USER %d)\n", tend, pend, gend, uend, t0, pmax, gmax, umax
    printf "soak: before Init: private %d bytes, GDI %d, USER %d; after Quit: private %d bytes, GDI %d, USER %d\n", bp, bg, bu, ap, ag, au
    printf "soak: after %d s: slowest Render %.1f ms, %d of %d Renders over 100 ms, most processor time in one Render %d ms, longest frame %.1f ms\n", warmup, worstRender, slow, frames - warmFrames, worstCpu, worstFrame
    if (pmax > p0 * 1.01) { print "soak: FAIL: private bytes grew by more than 1 %"; fail = 1 }
    if (gmax > g0 * 1.01) { print "soak: FAIL: GDI objects grew by more than 1 %"; fail = 1 }
    if (umax > u0 * 1.01) { print "soak: FAIL: USER objects grew by more than 1 %"; fail = 1 }
    if (limit > 0 && worstRender > limit) { print "soak: FAIL: a Render took more than " limit " ms"; fail = 1 }
    if (worstCpu > 100) { print "soak: FAIL: a Render used more than 100 ms of processor time"; fail = 1 }
    if (!quit) { print "soak: FAIL: Quit did not return"; fail = 1 }
    if (status != 0) { print "soak: FAIL: vishost exited with status " status; fail = 1 }
    print fail ? "soak: FAILED" : "soak: passed"
    exit fail
  }' "$log"
