#!/usr/bin/env bash
# Usage: quiet-build.sh NAME COMMAND...
# Runs a build step for a user command (make video) without its chatter: nothing is shown when
# nothing needs building, one line when something does, and the end of the log when it fails.
set -euo pipefail
name=$1
shift
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
"$@" 2>&1 | tee "$log" |
  awk -v name="$name" '/Building|Linking|Generating|Configuring/ && !said { print name ": building what changed first (a minute or more)" > "/dev/stderr"; said = 1 }' ||
  true
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
  tail -n 25 "$log" >&2
  echo "$name: the build failed (exit status $status)" >&2
  exit 1
fi
