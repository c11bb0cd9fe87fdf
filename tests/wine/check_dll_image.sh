#!/usr/bin/env bash
# Checks the plug-in DLL's image: PE32 for i386, exactly one export (winampVisGetHeader),
# and imports from system DLLs only (the runtime is linked statically).
set -euo pipefail
dll=$1
dump=$(i686-w64-mingw32-objdump -p "$dll")
fail() { echo "check_dll_image: $*" >&2; exit 1; }

grep -q 'file format pei-i386' <<<"$(i686-w64-mingw32-objdump -f "$dll")" || fail "not a PE32 i386 image"
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[ \t]*\[/{print $NF} on && /^[ \t]*$/{on=0}' <<<"$dump")
[ "$exports" = "winampVisGetHeader" ] || fail "exports are: ${exports:-none}"
system='^(ddraw|gdi32|kernel32|msimg32|msvcrt|user32|winmm|advapi32|comctl32|ole32)\.dll$'
while read -r name; do
  lower=$(tr 'A-Z' 'a-z' <<<"$name")
  [[ $lower =~ $system ]] || fail "imports a non-system DLL: $name"
done < <(awk '/DLL Name:/{print $3}' <<<"$dump")
echo "check_dll_image: PE32 i386, one export, system imports only"
