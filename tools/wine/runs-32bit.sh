#!/usr/bin/env bash
# Exits 0 when this machine can execute 32-bit (i386) programs, which the i686 tree's Wine tests
# need. Otherwise exits 1 and prints why, found by running one: the 32-bit wineserver.
server=/usr/lib/wine/wineserver32
if [ ! -x "$server" ]; then
  echo "the 32-bit Wine (wine32:i386) is not installed"
  exit 1
fi
if ! out=$("$server" --version 2>&1); then
  echo "this machine cannot execute 32-bit programs ($(basename "$server"): ${out##*: })"
  exit 1
fi
exit 0
