#!/usr/bin/env bash
# Usage: tools/quorbel-live.sh [NATIVE_BUILD_DIR]     (default build/native; `make native` builds it)
#
# quorbel showing what the desktop plays: quorbel-feed records the monitor of the default
# output (PulseAudio, or PipeWire's PulseAudio service) into quorbel's frame file while quorbel
# runs. Escape in quorbel ends both.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
viewer=$(cd "${1:-$here/../build/native}" && pwd)/viewer
for program in quorbel quorbel-feed; do
  [ -x "$viewer/$program" ] || { echo "quorbel-live: $viewer/$program is not built (make native)" >&2; exit 1; }
done

"$viewer/quorbel-feed" &
feed_pid=$!
stop_feed() { kill "$feed_pid" 2>/dev/null || true; wait "$feed_pid" 2>/dev/null || true; }
trap stop_feed EXIT
# Without a sound server the feeder says so and ends at once: then there is nothing to show.
for _ in $(seq 1 10); do
  if ! kill -0 "$feed_pid" 2>/dev/null; then
    status=0; wait "$feed_pid" || status=$?
    exit "$status"
  fi
  sleep 0.1
done
cd "$viewer"
./quorbel
