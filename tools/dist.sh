#!/usr/bin/env bash
# Usage: dist.sh WINDOWS_BUILD_DIR OUT_DIR
# Writes OUT_DIR/vexilumarine-plugin.zip laid out as the player's folder: Plugins/ with the DLL
# and its three bitmaps, and an install note.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"; out=$(cd "$2" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
"$here/wine/player-folder.sh" "$build" "$stage"
rm "$stage/vishost.exe"
cat >"$stage/INSTALL.txt" <<'NOTE'
Vexilumarine visualisation plug-in

Unpack this archive into the player's own folder (the one that holds the player program), so
that Plugins\vis_vexilumarine.dll and the three bitmaps zev.bmp, trees.bmp and generated.bmp
land in its Plugins folder. The plug-in finds the bitmaps there because the player runs from
its own folder. Then choose "Vexilumarine v1.0" in the player's visualisation preferences;
"Configure" opens the settings, kept in Plugins\plugin.ini. Any key ends the visualisation.
NOTE
rm -f "$out/vexilumarine-plugin.zip"
(cd "$stage" && zip -q -r "$out/vexilumarine-plugin.zip" INSTALL.txt Plugins)
unzip -l "$out/vexilumarine-plugin.zip"
