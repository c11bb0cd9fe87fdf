#!/usr/bin/env bash
# Usage: check_dll_image.sh ARCH DLL   (ARCH: i686 or x86_64)
# Checks the plug-in DLL's image: PE32 for i386 (PE32+ for x86-64 in the 64-bit tree), exactly
# one export (winampVisGetHeader), and imports from system DLLs only (the runtime is linked
# statically).
set -euo pipefail
arch=$1 dll=$2
case "$arch" in
  i686) format=pei-i386 image="PE32 i386" ;;
  x86_64) format=pei-x86-64 image="PE32+ x86-64" ;;
  *) echo "check_dll_image: unknown architecture $arch" >&2; exit 2 ;;
esac
objdump=$arch-w64-mingw32-objdump
dump=$("$objdump" -p "$dll")
fail() { echo "check_dll_image: $*" >&2; exit 1; }

grep -q "file format $format\$" <<<"$("$objdump" -f "$dll")" || fail "not a $image image"
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[ \t]*\[/{print $NF} on && /^[ \t]*$/{on=0}' <<<"$dump")
[ "$exports" = "winampVisGetHeader" ] || fail "exports are: ${exports:-none}"
system='^(ddraw|gdi32|kernel32|msimg32|msvcrt|user32|winmm|advapi32|comctl32|ole32)\.dll$'
while read -r name; do
  lower=$(tr 'A-Z' 'a-z' <<<"$name")
  [[ $lower =~ $system ]] || fail "imports a non-system DLL: $name"
done < <(awk '/DLL Name:/{print $3}' <<<"$dump")
echo "check_dll_image: $image, one export, system imports only"
