#!/usr/bin/env bash
# Usage: pulse_session.sh COMMAND [ARGS...]
#        pulse_session.sh stop | start     (inside COMMAND: stop or restart the session's server)
#
# Runs COMMAND with a private PulseAudio server of its own: no configuration but ours (-n), a
# null sink "vexil_test" as the default output, whose monitor is the default monitor, and the
# native protocol on a socket in a temporary folder. PULSE_SERVER points every client there, so
# nothing autospawns and no other server is touched. The server is stopped by its PID afterwards.
set -euo pipefail
me=$(realpath "$0")

start_server() {
  local dir=$VEXIL_PULSE_DIR session_pid=$VEXIL_PULSE_SESSION_PID
  rm -f "$dir/native"
  HOME=$dir XDG_RUNTIME_DIR=$dir PULSE_RUNTIME_PATH=$dir/runtime PULSE_STATE_PATH=$dir/state \
    pulseaudio -n -F "$dir/server.pa" --daemonize=no --exit-idle-time=-1 --disallow-exit \
      --use-pid-file=no --disable-shm=yes --high-priority=no --realtime=no --log-target=stderr \
      </dev/null >/dev/null 2>>"$dir/server.log" &
  local pid=$!
  echo "$pid" >"$dir/server.pid"
  # Should this script be killed outright (a test's time limit), the server goes with it.
  (while kill -0 "$session_pid" 2>/dev/null; do sleep 1; done; kill "$pid" 2>/dev/null) </dev/null >/dev/null 2>&1 &
  for _ in $(seq 1 100); do
    if [ -S "$dir/native" ] && pactl info >/dev/null 2>&1; then return 0; fi
    kill -0 "$(cat "$dir/server.pid")" 2>/dev/null || break
    sleep 0.05
  done
  echo "pulse_session: the PulseAudio server did not start:" >&2
  cat "$dir/server.log" >&2
  return 1
}

stop_server() {
  local pid
  pid=$(cat "$VEXIL_PULSE_DIR/server.pid" 2>/dev/null) || return 0
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  rm -f "$VEXIL_PULSE_DIR/server.pid"
}

case "${1:-}" in
  start) start_server; exit ;;
  stop) stop_server; exit ;;
esac

command -v pulseaudio >/dev/null || { echo "pulse_session: pulseaudio is not installed (tools/install-deps.sh)" >&2; exit 1; }
VEXIL_PULSE_DIR=$(mktemp -d /tmp/vexil-pulse-XXXXXX)
VEXIL_PULSE_SESSION_PID=$$
export VEXIL_PULSE_DIR VEXIL_PULSE_SESSION_PID PULSE_SERVER="unix:$VEXIL_PULSE_DIR/native" PULSE_SESSION="$me"
cleanup() { stop_server; rm -rf "$VEXIL_PULSE_DIR"; }
trap cleanup EXIT
cat >"$VEXIL_PULSE_DIR/server.pa" <<PA
load-module module-null-sink sink_name=vexil_test sink_properties=device.description="Vexil\ Test\ Output"
load-module module-native-protocol-unix auth-anonymous=1 socket=$VEXIL_PULSE_DIR/native
set-default-sink vexil_test
PA
start_server
"$@"
