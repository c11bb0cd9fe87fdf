#!/usr/bin/env bash
# Usage: deb_check.sh NATIVE_BUILD_DIR OUT_DIR
#
# Builds the Debian package with CPack, as `make deb` does, and reads it with dpkg-deb: its file
# name and version, the files under /usr (those of an install), the menu entry, and a Depends
# field that names the packages of the libraries the programs link and of the launcher's tools.
set -euo pipefail
build=$(cd "$1" && pwd) out=$2
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "deb: FAIL: $*" >&2; exit 1; }
rm -rf "$out" && mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || fail "cpack failed: $(cat "$out/cpack.log")"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$out/quorbel_${version}_amd64.deb
[ -f "$deb" ] || fail "no $deb: $(ls "$out")"
dpkg-deb -f "$deb" Package Version Architecture Depends
[ "$(dpkg-deb -f "$deb" Package Version)" = "$(printf 'Package: quorbel\nVersion: %s' "$version")" ] ||
  fail "the package is not quorbel $version"

diff <("$here/expected_files.sh" "$build" | sed 's|^|usr/|') \
     <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort) ||
  fail "the package does not hold the files of an install under /usr (< missing, > extra)"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ && $2 != "root/root" { bad = 1 } END { exit bad }' || fail "files not owned by root"

depends=$(dpkg-deb -f "$deb" Depends)
# quorbel: GL, GLU, freeglut; quorbel-feed: PulseAudio's client libraries; the launcher: logger.
for library in libGL.so.1 libGLU.so.1 libglut.so.3 libpulse-simple.so.0 libpulse.so.0 libstdc++.so.6 libc.so.6; do
  package=$(dpkg -S "*/$library" | sed -n '1s/:.*//p')
  grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package (for $library): $depends"
done
grep -Eq '(^|, )bsdutils( |,|$)' <<<"$depends" || fail "Depends lacks bsdutils (logger, for the launcher)"

mkdir "$out/root"
dpkg-deb -x "$deb" "$out/root"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$out/root/usr/share/applications/quorbel.desktop" || fail "the menu entry is not valid"
fi
grep -qx 'Exec=quorbel-live' "$out/root/usr/share/applications/quorbel.desktop" || fail "the menu entry does not start quorbel-live"
[ "$("$out/root/usr/bin/quorbel-live" --version)" = "quorbel-live $version" ] || fail "the packaged launcher's version"
echo "deb: $deb holds what an install does and depends on: $depends"
