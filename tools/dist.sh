#!/usr/bin/env bash
# Usage: dist.sh WINDOWS_BUILD_DIR OUT_DIR
# Writes OUT_DIR/vexilumarine-plugin.zip laid out as the player's folder: Plugins/ with the DLL
# and its three bitmaps, and an install note with CRLF lines (the player's own editor shows LF
# lines as one). The zip's DLL carries no debug sections: they stay in
# WINDOWS_BUILD_DIR/vis_vexilumarine.dll.debug, which the DLL names (.gnu_debuglink), so a
# debugger given that file reads a crash report of the shipped DLL.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"; out=$(cd "$2" && pwd)
objcopy=$(sed -n 's/^CMAKE_OBJCOPY:FILEPATH=//p' "$build/CMakeCache.txt")
[ -x "$objcopy" ] || { echo "dist: no objcopy for $build (configure it first: make win32)" >&2; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
"$here/wine/player-folder.sh" "$build" "$stage"
rm "$stage/vishost.exe"

dll=$stage/Plugins/vis_vexilumarine.dll
symbols=$build/vis_vexilumarine.dll.debug
"$objcopy" --only-keep-debug "$dll" "$stage/vis_vexilumarine.dll.debug"
"$objcopy" --strip-debug --add-gnu-debuglink="$stage/vis_vexilumarine.dll.debug" "$dll"
cp "$stage/vis_vexilumarine.dll.debug" "$symbols.$$" && mv "$symbols.$$" "$symbols"

sed 's/$/\r/' >"$stage/INSTALL.txt" <<'NOTE'
Vexilumarine v1.0 - visualisation plug-in

Installing
----------
1. Close the player.
2. Unpack this archive into the player's own folder (the one that holds the
   player program), so that vis_vexilumarine.dll and the three bitmaps
   zev.bmp, trees.bmp and generated.bmp land in its Plugins folder. The
   plug-in finds its bitmaps there because the player runs from its own folder.
3. Start the player, open its visualisation preferences and choose
   "Vexilumarine v1.0". "Configure" opens the plug-in's settings; they are kept
   in the [Vexilumarine] section of Plugins\plugin.ini.

Ways of watching (chosen in the settings)
-----------------------------------------
- Full screen at a graphics mode (the default, one of "Screen resolution"):
  any key ends the visualisation.
- "Full screen at the desktop's own size": any key ends the visualisation;
  Alt+Enter goes to the window.
- "In a window": Escape or closing the window ends the visualisation;
  Alt+Enter switches to full screen at the desktop's size and back. Every other
  key goes to the player, so its own keys (play, pause, next) keep working.
Ticking one of the last two clears the other; with neither ticked the
visualisation is full screen at the chosen graphics mode.

Uninstalling
------------
1. Stop the visualisation and close the player.
2. Delete vis_vexilumarine.dll, zev.bmp, trees.bmp and generated.bmp from the
   player's Plugins folder.
3. In Plugins\plugin.ini, delete the [Vexilumarine] section and its lines.
   Other plug-ins may keep their settings in the same file: delete the file
   itself only if nothing else is left in it.
NOTE
rm -f "$out/vexilumarine-plugin.zip"
(cd "$stage" && zip -q -r "$out/vexilumarine-plugin.zip" INSTALL.txt Plugins)
unzip -l "$out/vexilumarine-plugin.zip"
echo "dist: the DLL's debug symbols: $symbols"
