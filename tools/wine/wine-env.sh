# Sourced with a Windows build tree: `. wine-env.sh BUILD_DIR`. Sets the Wine environment of
# that tree: its own prefix BUILD_DIR/wineprefix (or BUILD_DIR/$VEXIL_PREFIX_NAME), of the tree's architecture (win32 for the i686
# build, win64 for the x86_64 one), and that architecture's loader and wineserver, named
# explicitly: /usr/bin/wine picks the 32-bit loader whenever it is installed, even on a machine
# that cannot run it. Run programs as "$WINELOADER" PROGRAM.exe.
wine_tree=$(cd "$1" && pwd)
WINEARCH=$(sed -n 's/^VEXIL_WINEARCH:STRING=//p' "$wine_tree/CMakeCache.txt" 2>/dev/null)
case "$WINEARCH" in
  win32) WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 ;;
  win64) WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
  *) echo "wine-env: $wine_tree is not a configured Windows build tree" >&2; return 1 ;;
esac
export WINEARCH WINELOADER WINESERVER
export WINEPREFIX="$wine_tree/${VEXIL_PREFIX_NAME:-wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
