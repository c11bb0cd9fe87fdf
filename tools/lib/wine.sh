# Sourced by every command that runs Windows programs: the one way into Wine.
#
#   wine_session_start BUILD_DIR   a Wine session of this shell's own for a Windows build tree
#   wine_session_stop              ends it: its Wine processes, its Xvfb, its prefix
#   end_on_signals CLEANUP [MSG]   SIGINT/SIGTERM/SIGHUP end every process this shell started,
#                                  run CLEANUP, end the session, say MSG, exit 130/143/129
#   winpath PATH, drop_wine_chatter, pe_machine DLL, tree_for_plugin DLL CHECKOUT,
#   private_player PLAYER_DIR, list_modules_and_exit BUILD_DIR PLAYER_DIR [VISHOST_ARGS...]
#
# A session has a Wine prefix of its own, copied in about half a second from a template of the tree
# (BUILD_DIR/wine-templates, made once under a lock): the programs and libraries hard-linked,
# the registry and every other file Wine may write copied. So it has its own wineserver, which
# it stops with `wineserver -k` on that prefix only, and its own Xvfb display (unless
# VEXIL_USE_DISPLAY=1 and a DISPLAY is there). Programs run as "$WINELOADER" PROGRAM.exe: the
# loader of the tree's width, named explicitly, since /usr/bin/wine picks the 32-bit one whenever
# it is installed, even on a machine that cannot run it.
#
# Inside a session of the same tree (VEXIL_WINE_SESSION, e.g. a test run by CTest) no new one is
# made. The environment can change the session: VEXIL_SCREEN=WxH (the Xvfb's size, 1600x1200),
# VEXIL_DESKTOP=WxH or none (Wine's virtual desktop, the screen's size by default; none: Wine's
# windows are plain X windows).
#
# The session's Xvfb keeps its screen in a file in memory (-fbdir; VEXIL_SCREEN_FILE names it): a
# render reads its frames from there (vishost --screen-file) rather than through the X connection.

wine_lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_session_dir="" wine_session_xvfb="" wine_session_screen_dir=""

winpath() { echo "Z:${1//\//\\}"; }

# Wine's and ALSA's chatter on standard error; every other line passes.
drop_wine_chatter() { grep --line-buffered -vE '^(fixme|err|warn|trace):|^ALSA ' || true; }

# i686 or x86_64: the machine type in a DLL's PE header ("other" for another; fails for no PE file).
pe_machine() {
  local at signature
  [ "$(head -c 2 "$1" 2>/dev/null)" = MZ ] || return 1
  at=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$at" ] || return 1
  signature=$(od -An -tx1 -j"$at" -N6 "$1" 2>/dev/null | tr -d ' \n')
  case "$signature" in
    504500004c01) echo i686 ;;
    504500006486) echo x86_64 ;;
    50450000*) echo other ;;
    *) return 1 ;;
  esac
}

# The tree's architecture, loader and wineserver; Wine quiet, without Mono and Gecko.
wine_tree_env() {
  wine_tree=$(cd "$1" && pwd -P) || return 1
  WINEARCH=$(sed -n 's/^VEXIL_WINEARCH:STRING=//p' "$wine_tree/CMakeCache.txt" 2>/dev/null)
  case "$WINEARCH" in
    win32) WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 ;;
    win64) WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
    *) echo "wine: $wine_tree is not a configured Windows build tree" >&2; return 1 ;;
  esac
  export WINEARCH WINELOADER WINESERVER WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# ---- templates ----

# Bump when the template's settings change: templates of an older kind are made again.
wine_template_kind=3

# A copy of the folder SRC at DEST: programs, libraries and bitmaps hard-linked (nothing writes
# them: a session's prefix never updates itself), every other file (the registry, ini files) a real
# copy. Across file systems, all of it copied.
copy_tree() {
  local src=$1 dest=$2
  if ! cp -al "$src" "$dest" 2>/dev/null; then rm -rf "$dest"; cp -a "$src" "$dest" || return 1; return 0; fi
  find "$dest" -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' -o -iname '*.sys' -o -iname '*.nls' \
    -o -iname '*.ocx' -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.tlb' -o -iname '*.manifest' -o -iname '*.bmp' \) \
    -print0 | xargs -0 -r sh -c 'for f; do cp -p "$f" "$f.copy" && mv -f "$f.copy" "$f" || exit 1; done' copy
}

# Runs a registry file in the prefix WINEPREFIX names, and waits for its wineserver to end.
apply_registry() {
  "$WINELOADER" regedit /S "$1" >/dev/null 2>&1
  "$WINESERVER" -w
}

# The base template: a fresh prefix with Wine's own fonts linked in (Debian's wine looks for them in
# the wrong folder), the fonts the plug-in asks for pinned whatever font packages the machine has
# ("Arial" and the fixed-pitch face to Liberation, no smoothing), and Direct3D without its
# command-stream thread (on a small machine it competes with Mesa's rasteriser: frames take twice
# as long).
make_base_template() {
  local prefix=$1
  [ -e /usr/share/wine/fonts/ms_sans_serif.ttf ] || { echo "wine: Wine's fonts are missing (install fonts-wine)" >&2; return 1; }
  mkdir -p "$prefix"
  WINEPREFIX=$prefix "$WINELOADER" wineboot -i >/dev/null 2>&1
  WINEPREFIX=$prefix "$WINESERVER" -w
  [ -f "$prefix/system.reg" ] || { echo "wine: could not make a Wine prefix in $prefix" >&2; return 1; }
  ln -sf /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
  printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"Arial"="Liberation Sans"' '"Courier New"="Liberation Mono"' '' \
    '[HKEY_CURRENT_USER\Control Panel\Desktop]' '"FontSmoothing"="0"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Direct3D]' '"csmt"=dword:00000000' >"$prefix/settings.reg"
  WINEPREFIX=$prefix apply_registry "$prefix/settings.reg"
}

# A template with a virtual desktop of that size (so display modes can change), or none.
make_desktop_template() {
  local base=$1 prefix=$2 desktop=$3
  copy_tree "$base" "$prefix" || return 1
  if [ "$desktop" = none ]; then
    printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"=-' >"$prefix/desktop.reg"
  else
    printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '' \
      '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' "\"Default\"=\"$desktop\"" >"$prefix/desktop.reg"
  fi
  WINEPREFIX=$prefix apply_registry "$prefix/desktop.reg"
}

# Prints the template for DESKTOP, making it (and the base) first where missing or made by another
# Wine or another kind of template. One session at a time makes them; each is made under a
# temporary name and renamed when complete.
wine_template() {
  local desktop=$1 dir="$wine_tree/wine-templates" stamp
  stamp="$wine_template_kind $(stat -c %Y /usr/share/wine/wine.inf) $WINEARCH"
  mkdir -p "$dir"
  (
    flock 9
    for name in base "desktop-$desktop"; do
      [ "$(cat "$dir/$name/.template" 2>/dev/null)" = "$stamp" ] && continue
      rm -rf "$dir/$name" "$dir/$name.new"
      if [ "$name" = base ]; then make_base_template "$dir/$name.new"; else make_desktop_template "$dir/base" "$dir/$name.new" "$desktop"; fi ||
        { rm -rf "$dir/$name.new"; exit 1; }
      echo "$stamp" >"$dir/$name.new/.template"
      mv "$dir/$name.new" "$dir/$name"
    done
  ) 9>"$dir/.lock" || return 1
  echo "$dir/desktop-$desktop"
}

# The Windows build tree that runs plug-in DLL (printed): build/win32 for an i686 one, build/win64
# for an x86_64 one, in CHECKOUT. Says (with the caller's say) why not where it cannot run here.
tree_for_plugin() {
  local dll=$1 checkout=$2 machine why
  [ -f "$dll" ] || { say "$dll: no such file"; return 1; }
  machine=$(pe_machine "$dll") || { say "$dll is not a Windows DLL"; return 1; }
  case "$machine" in
    i686)
      if ! why=$("$wine_lib_dir/../wine/runs-32bit.sh"); then
        say "$dll is a 32-bit (i686) plug-in, and $why: it cannot run here (an x86_64 build of it can)"
        return 1
      fi
      echo "$checkout/build/win32" ;;
    x86_64) echo "$checkout/build/win64" ;;
    *) say "$dll is a DLL for neither i686 nor x86_64: vishost cannot load it"; return 1 ;;
  esac
}

# ---- the session ----

start_xvfb() {
  local fdfile="$wine_session_dir/display" memory=/dev/shm
  [ -d "$memory" ] && [ -w "$memory" ] || memory=${TMPDIR:-/tmp}
  wine_session_screen_dir=$(mktemp -d "$memory/vexil-screen.XXXXXX") || return 1
  Xvfb -displayfd 5 -screen 0 "$1x24" -fbdir "$wine_session_screen_dir" -nolisten tcp 5>"$fdfile" 2>/dev/null &
  wine_session_xvfb=$!
  for _ in $(seq 1 100); do [ -s "$fdfile" ] && break; sleep 0.05; done
  [ -s "$fdfile" ] || { echo "wine: Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$fdfile")" VEXIL_SCREEN_FILE=$wine_session_screen_dir/Xvfb_screen0
}

wine_session_start() {
  wine_tree_env "$1" || return 1
  [ "${VEXIL_WINE_SESSION:-}" = "$wine_tree" ] && return 0
  local screen=${VEXIL_SCREEN:-1600x1200} template
  local desktop=${VEXIL_DESKTOP:-$screen}
  mkdir -p "$wine_tree/wine-sessions"
  wine_session_dir=$(mktemp -d "$wine_tree/wine-sessions/session.XXXXXX") || return 1
  unset VEXIL_SCREEN_FILE
  if [ "${VEXIL_USE_DISPLAY:-}" != 1 ] || [ -z "${DISPLAY:-}" ]; then start_xvfb "$screen" || return 1; fi
  template=$(wine_template "$desktop") || return 1
  copy_tree "$template" "$wine_session_dir/prefix" || { echo "wine: could not copy $template" >&2; return 1; }
  echo disable >"$wine_session_dir/prefix/.update-timestamp"  # never rewrites the hard-linked files
  export WINEPREFIX=$wine_session_dir/prefix VEXIL_WINE_SESSION=$wine_tree
  "$WINESERVER" -p
  # Wine's services start now, with no pipes: started by a program whose output is piped, they
  # would hold the pipe open after it ends.
  "$WINELOADER" reg query 'HKCU\Software\Wine' </dev/null >/dev/null 2>&1 || true
}

wine_session_stop() {
  [ -n "$wine_session_dir" ] || return 0
  if [ -n "${WINEPREFIX:-}" ] && [ "$WINEPREFIX" = "$wine_session_dir/prefix" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    timeout 10 "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  if [ -n "$wine_session_xvfb" ]; then kill "$wine_session_xvfb" 2>/dev/null || true; wait "$wine_session_xvfb" 2>/dev/null || true; fi
  rm -rf "$wine_session_dir" ${wine_session_screen_dir:+"$wine_session_screen_dir"}
  wine_session_dir="" wine_session_xvfb="" wine_session_screen_dir="" wine_session_screen_dir=""
}

# ---- ending cleanly ----

# Every process started by this shell, and theirs, however deep.
descendants() {
  local child
  for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do echo "$child"; descendants "$child"; done
}

# Ends them: SIGTERM, and SIGKILL for any still there after 3 s.
end_descendants() {
  local pids left
  pids=$(descendants $$ | grep -vx "$BASHPID" || true)
  [ -n "$pids" ] || return 0
  kill -TERM $pids 2>/dev/null || true
  for _ in $(seq 30); do
    left=$(for pid in $pids; do [ -e "/proc/$pid" ] && [ "$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)" != Z ] && echo "$pid"; done || true)
    [ -n "$left" ] || return 0
    sleep 0.1
  done
  kill -KILL $left 2>/dev/null || true
}

# On SIGINT, SIGTERM or SIGHUP: every process of ours ends, then CLEANUP (may be empty) runs, the
# session ends, MESSAGE (if any) is said, and the shell exits 128 + the signal's number. Long
# commands must run in the background and be waited for (`wait`), so that a signal to this shell
# alone is seen at once. At the end without a signal, CLEANUP runs and the session ends too.
end_on_signals() {
  wine_cleanup=$1 wine_signal_message=${2:-}
  exec {wine_stderr}>&2  # the message goes there, whatever the command that was running had redirected
  trap 'ended_by 2' INT
  trap 'ended_by 15' TERM
  trap 'ended_by 1' HUP
  trap 'ended_normally' EXIT
}
ended_by() {
  trap '' INT TERM HUP
  end_descendants
  [ -z "$wine_cleanup" ] || $wine_cleanup
  wine_session_stop
  [ -z "$wine_signal_message" ] || echo "$wine_signal_message" >&"$wine_stderr"
  trap - EXIT
  exit $((128 + $1))
}
ended_normally() {
  [ -z "$wine_cleanup" ] || $wine_cleanup
  wine_session_stop
}

# A player folder of one's own, in a temporary folder beside SRC's tree (printed): vishost and the
# plug-in's files hard-linked, plugin.ini copied, so that settings written into it for one run
# (--mode, --windowed ...) do not reach another run's. The caller removes it.
private_player() {
  local src=$1 dir
  mkdir -p "$wine_tree/wine-sessions" && dir=$(mktemp -d "$wine_tree/wine-sessions/player.XXXXXX") || return 1
  copy_tree "$src" "$dir/player" || return 1
  echo "$dir/player"
}

# Prints the plug-in's modules (vishost --list, with VISHOST_ARGS such as --plugin) in a session of
# its own, and exits with vishost's status.
list_modules_and_exit() {
  local build=$1 player=$2
  shift 2
  end_on_signals ""
  wine_session_start "$build"
  cd "$player" && "$WINELOADER" ./vishost.exe "$@" --list 2> >(drop_wine_chatter >&2) &
  wait $!
  exit
}
