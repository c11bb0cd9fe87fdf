#!/usr/bin/env bash
# Usage: tools/quorbel-live.sh [NATIVE_BUILD_DIR] [quorbel-live's options, see --help]
#
# quorbel-live from a checkout: the launcher the build writes beside quorbel (default tree
# build/native; `make native` builds it), which runs quorbel-feed and quorbel from there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build/native
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then build=$1; shift; fi
launcher=$build/viewer/quorbel-live
[ -x "$launcher" ] || { echo "quorbel-live: $launcher is not built (make native)" >&2; exit 1; }
exec "$launcher" "$@"
