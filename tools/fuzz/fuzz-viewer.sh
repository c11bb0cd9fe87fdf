#!/usr/bin/env bash
# quorbel's two libFuzzer targets: tools/fuzz.sh for tga and frame_file only.
# usage: tools/fuzz/fuzz-viewer.sh [SECONDS_PER_TARGET] [tga|frame_file...]
set -euo pipefail
seconds=${1:-300}
shift || true
[ $# -gt 0 ] || set -- tga frame_file
exec "$(dirname "$0")/../fuzz.sh" "$seconds" "$@"
