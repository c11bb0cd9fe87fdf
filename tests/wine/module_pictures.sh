#!/usr/bin/env bash
# Usage: module_pictures.sh WINE_RUN VISHOST MODULE OUT_DIR FRAMES FRAME1,FRAME2,...
#
# Plays the demo song through one module at 5 frames per second of the virtual clock (no sound,
# no waiting: the captures show the same moments on any machine) and captures the listed
# frames. Every capture must be a picture (not one flat colour), and no two may be identical.
# The PNGs stay in OUT_DIR for a person to look at.
set -euo pipefail
wine_run=$1 vishost=$2 module=$3 out=$4 frames=$5 capture=$6

rm -rf "$out"
mkdir -p "$out"
windows_out="Z:$(cd "$out" && pwd | tr / '\\')"
"$wine_run" "$vishost" --virtual-clock --module "$module" --fps 5 --frames "$frames" --capture-at "$capture" --out "$windows_out"

status=0
previous=""
for frame in ${capture//,/ }; do
  name=$(printf 'module%d-frame%05d' "$module" "$frame")
  if [ ! -f "$out/$name.bmp" ]; then
    echo "FAIL: frame $frame was not captured"
    status=1
    continue
  fi
  convert "$out/$name.bmp" "$out/$name.png"
  spread=$(convert "$out/$name.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)
  echo "frame $frame: grey standard deviation $spread"
  if awk -v s="$spread" 'BEGIN { exit !(s < 0.02) }'; then
    echo "FAIL: frame $frame is flat"
    status=1
  fi
  if [ -n "$previous" ] && cmp -s "$out/$previous.bmp" "$out/$name.bmp"; then
    echo "FAIL: frame $frame is the same picture as $previous"
    status=1
  fi
  previous=$name
done
exit $status
