#!/usr/bin/env bash
# Usage: installed_live.sh NATIVE_BUILD_DIR OUT_DIR   (inside pulse_session.sh)
#
# A DESTDIR install: its files, versions, the sources listed (plus a null sink "vexil_other"), an
# unknown source and a missing server refused on stderr and to logger, --no-feed needing no
# server; then quorbel-live --source vexil_other.monitor under Xvfb with the kicks played into
# vexil_other only, the default output silent (tests/live/quorbel_live.sh).
set -euo pipefail
build=$(cd "$1" && pwd) out=$2
here=$(cd "$(dirname "$0")" && pwd)
stage=$(mktemp -d /tmp/quorbel-install-XXXXXX)
trap 'rm -rf "$stage"' EXIT
fail() { echo "installed: FAIL: $*" >&2; exit 1; }

DESTDIR=$stage/root cmake --install "$build" --prefix /opt/quorbel >/dev/null
prefix=$stage/root/opt/quorbel
diff <("$here/expected_files.sh" "$build") <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort) ||
  fail "the install does not hold the files it should (< missing, > extra)"
live=$prefix/bin/quorbel-live

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$("$live" --version) $("$prefix/bin/quorbel-feed" --version)" = "quorbel-live $version quorbel-feed $version" ] ||
  fail "--version does not say $version: $("$live" --version), $("$prefix/bin/quorbel-feed" --version)"

pactl load-module module-null-sink sink_name=vexil_other 'sink_properties=device.description="Other\ Output"' >/dev/null
for lister in "$live" "$here/../../tools/play.sh"; do
  [ "$("$lister" --list-sources | grep -Ec '^ +vexil_(test\.monitor +Monitor of Vexil Test|other\.monitor +Monitor of Other) Output$')" -eq 2 ] ||
    fail "$lister --list-sources does not list both monitors with their descriptions: $("$lister" --list-sources)"
done

mkdir "$stage/bin" "$stage/runtime"
printf '#!/bin/sh\n{ echo "$*"; [ "$3" = -f ] && cat "$4"; } >>"%s"\n' "$stage/syslog" >"$stage/bin/logger"
chmod +x "$stage/bin/logger"
refused() {  # refused WHAT EXPECTED ARGS...: quorbel-live fails, saying EXPECTED on stderr and to the log
  local what=$1 expected=$2 status=0
  shift 2
  : >"$stage/syslog"
  PATH=$stage/bin:$PATH XDG_RUNTIME_DIR=$stage/runtime "$@" 2>"$stage/stderr" || status=$?
  echo "installed: $what: status $status:"; sed 's/^/  /' "$stage/stderr"
  [ "$status" -ne 0 ] || fail "$what: quorbel-live did not fail"
  grep -Eq "$expected" "$stage/stderr" || fail "$what: standard error does not say '$expected'"
  grep -Eq "$expected" "$stage/syslog" || fail "$what: the system log does not say '$expected'"
  [ -z "$(ls -A "$stage/runtime")" ] || fail "$what: the working folder stays behind"
}
refused "unknown source" "cannot record 'nope'" "$live" --source nope
grep -q 'vexil_other\.monitor  *Monitor of Other Output' "$stage/stderr" || fail "the unknown source's error does not list the sources"
refused "no sound server" "no sound server" env PULSE_SERVER="unix:$stage/none" "$live"
PULSE_SERVER="unix:$stage/none" DISPLAY="" XDG_RUNTIME_DIR=$stage/runtime "$live" --no-feed 2>"$stage/stderr" || true  # no display
! grep -q 'sound server' "$stage/stderr" && grep -q 'quorbel ended with status' "$stage/stderr" ||
  fail "--no-feed still starts the feeder: $(cat "$stage/stderr")"

QUORBEL_LIVE_SINK=vexil_other "$here/../live/quorbel_live.sh" "$out" "$live" --source vexil_other.monitor
