#!/usr/bin/env bash
# Usage: deb_check.sh NATIVE_BUILD_DIR OUT_DIR
#
# Builds the Debian package with CPack, as `make deb` does, and reads it with dpkg-deb: its file
# name and version, the files under /usr (those of an install), the menu entry, and a Depends
# field that names the packages of the libraries the programs link and of the launcher's logger.
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

mkdir "$out/root"
dpkg-deb -x "$deb" "$out/root"
depends=$(dpkg-deb -f "$deb" Depends)
depended=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')  # the package names, alternatives too
# Every library quorbel and quorbel-feed link comes from a package named in Depends; logger, which
# the launcher calls, too.
for program in usr/libexec/quorbel/quorbel usr/bin/quorbel-feed; do
  linked=$(ldd "$out/root/$program")
  for library in $(readelf -d "$out/root/$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(awk -v l="$library" '$1 == l { print $3 }' <<<"$linked")
    package=$(dpkg -S "*${path#/usr}" | sed -n '1s/:.*//p')  # /lib or /usr/lib: the /usr merge
    grep -qxF "$package" <<<"$depended" || fail "Depends lacks $package (for $program's $library): $depends"
  done
done
grep -qx bsdutils <<<"$depended" || fail "Depends lacks bsdutils (logger, for the launcher)"

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$out/root/usr/share/applications/quorbel.desktop" || fail "the menu entry is not valid"
fi
grep -qx 'Exec=quorbel-live' "$out/root/usr/share/applications/quorbel.desktop" || fail "the menu entry does not start quorbel-live"
[ "$("$out/root/usr/bin/quorbel-live" --version)" = "quorbel-live $version" ] || fail "the packaged launcher's version"
echo "deb: $deb holds what an install does and depends on: $depends"
