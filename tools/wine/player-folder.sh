#!/usr/bin/env bash
# Usage: player-folder.sh WINDOWS_BUILD_DIR DEST
# Lays out DEST as the player's folder: vishost.exe, and Plugins\ with the plug-in DLL and
# its three bitmaps (made by the native build's asset generator; a missing one is named).
set -euo pipefail
build=$1 dest=$2
mkdir -p "$dest/Plugins"
cp "$build/player/vishost.exe" "$dest/"
cp "$build/player/Plugins/vis_vexilumarine.dll" "$dest/Plugins/"
for bmp in zev.bmp trees.bmp generated.bmp; do
  found=$(find "$(dirname "$build")" -name "$bmp" -not -path "$dest/*" -print -quit 2>/dev/null || true)
  if [ -n "$found" ]; then cp "$found" "$dest/Plugins/"; else echo "player-folder: $bmp is not built yet" >&2; fi
done
