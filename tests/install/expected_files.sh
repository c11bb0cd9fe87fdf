#!/usr/bin/env bash
# Usage: expected_files.sh NATIVE_BUILD_DIR
# The files an install holds, relative to its prefix, sorted (the textures: those the build drew).
set -euo pipefail
{
  printf '%s\n' bin/quorbel-live bin/quorbel-feed libexec/quorbel/quorbel share/applications/quorbel.desktop \
    share/icons/hicolor/128x128/apps/quorbel.png share/doc/quorbel/copyright \
    share/man/man1/quorbel-live.1.gz share/man/man1/quorbel-feed.1.gz
  for texture in "$1"/viewer/textures/*.tga; do echo "share/quorbel/textures/${texture##*/}"; done
} | sort
