#!/usr/bin/env bash
# Usage: wine-session.sh BUILD_DIR COMMAND [ARGS...]
#
# Runs COMMAND inside a private Wine session for BUILD_DIR: the prefix BUILD_DIR/wineprefix
# (created once and reused: of the tree's architecture, fonts linked, a 1600x1200 virtual
# desktop so display modes can change), a private Xvfb display and a persistent wineserver of
# the tree's architecture. Both are stopped afterwards; only the ones this script started are
# touched. COMMAND runs Windows programs as "$WINELOADER" PROGRAM.exe (see wine-env.sh).
#
# The environment can change the session: VEXIL_SCREEN=WxH (the Xvfb's size, 1600x1200),
# VEXIL_DESKTOP=WxH or none (the virtual desktop, the screen's size by default; none: Wine's
# windows are plain X windows), VEXIL_PREFIX_NAME (another prefix in BUILD_DIR, for another
# desktop) and VEXIL_USE_DISPLAY=1 (the DISPLAY there is, instead of an Xvfb).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

build=$(cd "$1" && pwd); shift
. "$here/wine-env.sh" "$build"

xvfb_pid=""
stop_session() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap stop_session EXIT

screen=${VEXIL_SCREEN:-1600x1200}
desktop=${VEXIL_DESKTOP:-$screen}

start_xvfb() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 5 -screen 0 "${screen}x24" -nolisten tcp 5>"$fdfile" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    if [ -s "$fdfile" ]; then break; fi
    sleep 0.05
  done
  if [ ! -s "$fdfile" ]; then echo "wine-session: Xvfb did not start" >&2; exit 1; fi
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
}

# Bump when the prefix's settings below change: an older prefix gets them applied once.
prefix_settings=2

make_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"
    "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-session: could not create $WINEPREFIX" >&2; exit 1; }
  fi
  local marker="$WINEPREFIX/.vexilumarine-settings-$prefix_settings"
  [ "$(cat "$marker" 2>/dev/null)" = "$desktop" ] && return 0
  # A virtual desktop (1600x1200 for the tests), so display modes can change; or none, for plain
  # windows on the display. Direct3D without its command-stream thread: on a small machine that
  # thread competes with Mesa's software rasteriser, and frames take about twice as long.
  local reg="$WINEPREFIX/settings.reg" desktop_lines
  if [ "$desktop" = none ]; then
    desktop_lines=('[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"=-')
  else
    desktop_lines=('[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' ''
      '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' "\"Default\"=\"$desktop\"")
  fi
  printf '%s\n' 'REGEDIT4' '' "${desktop_lines[@]}" '' \
    '[HKEY_CURRENT_USER\Software\Wine\Direct3D]' '"csmt"=dword:00000000' >"$reg"
  "$WINELOADER" regedit /S "$reg" >/dev/null 2>&1
  "$WINESERVER" -w
  echo "$desktop" >"$marker"
}

# Wine's own fonts ("MS Sans Serif" and friends, Debian package fonts-wine), linked on every
# start so that a prefix made before the package was installed gets them too.
link_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  find "$fonts" -maxdepth 1 -xtype l -delete
  if [ ! -e /usr/share/wine/fonts/ms_sans_serif.ttf ]; then
    echo "wine-session: Wine's fonts are missing (install fonts-wine)" >&2; exit 1
  fi
  ln -sf /usr/share/wine/fonts/* "$fonts/"
}

if [ "${VEXIL_USE_DISPLAY:-}" = 1 ] && [ -n "${DISPLAY:-}" ]; then :; else start_xvfb; fi
make_prefix
link_fonts
"$WINESERVER" -p
export VEXIL_WINE_SESSION=1
"$@"
