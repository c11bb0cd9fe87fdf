#!/usr/bin/env bash
# Usage: deb_check.sh NATIVE_BUILD_DIR OUT_DIR
#
# Builds the Debian package with CPack, as `make deb` does, and reads it with dpkg-deb: its name
# and version, the files of an install under /usr, owned by root, a valid menu entry, manual
# pages that man renders without a warning, and a Depends field naming the package of every
# library the programs link, and logger's.
set -euo pipefail
build=$(cd "$1" && pwd) out=$2
fail() { echo "deb: FAIL: $*" >&2; exit 1; }
rm -rf "$out" && mkdir -p "$out/root"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || fail "cpack failed: $(cat "$out/cpack.log")"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$out/quorbel_${version}_amd64.deb
[ "$(dpkg-deb -f "$deb" Package Version)" = "$(printf 'Package: quorbel\nVersion: %s' "$version")" ] ||
  fail "no package quorbel $version in $out: $(ls "$out")"
diff <("$(dirname "$0")/expected_files.sh" "$build" | sed 's|^|usr/|') \
  <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort) ||
  fail "the package does not hold the files of an install under /usr (< missing, > extra)"
dpkg-deb -c "$deb" | awk '$2 != "root/root" { bad = 1 } END { exit bad }' || fail "files not owned by root"
dpkg-deb -x "$deb" "$out/root"
desktop-file-validate "$out/root/usr/share/applications/quorbel.desktop" || fail "the menu entry is not valid"
for page in quorbel-live quorbel-feed; do
  MANWIDTH=100 man --warnings -l "$out/root/usr/share/man/man1/$page.1.gz" >"$out/$page.txt" 2>"$out/man.err"
  grep -q "^ *$page - " "$out/$page.txt" && [ ! -s "$out/man.err" ] ||
    fail "man -l does not render $page(1) cleanly: $(head -c 300 "$out/man.err")"
done

depends=$(dpkg-deb -f "$deb" Depends)
depended=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')  # the package names, alternatives too
for program in usr/libexec/quorbel/quorbel usr/bin/quorbel-feed; do
  linked=$(ldd "$out/root/$program")
  for library in $(readelf -d "$out/root/$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(awk -v l="$library" '$1 == l { print $3 }' <<<"$linked")
    package=$(dpkg -S "*${path#/usr}" | sed -n '1s/:.*//p')  # /lib or /usr/lib: the /usr merge
    grep -qxF "$package" <<<"$depended" || fail "Depends lacks $package (for $program's $library): $depends"
  done
done
grep -qx bsdutils <<<"$depended" || fail "Depends lacks bsdutils (logger, for the launcher): $depends"
echo "deb: $deb holds what an install does; Depends: $depends"
