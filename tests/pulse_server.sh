#!/usr/bin/env bash
# A private PulseAudio server for the tests: a 48 kHz null sink named "e2e" as the default
# sink, its socket at RUNTIME_DIR/pulse/native, anonymous clients. pulseaudio where it is
# installed; otherwise PipeWire's PulseAudio service (pipewire, its session manager on a
# session bus, and pipewire-pulse, each an instance of this script's own), so that a
# desktop's own sound server is never replaced for the tests. RUNTIME_DIR/ready appears once the sink is there.
# TERM ends every server at once (SIGKILL, as a crash would), and this script with them.
# Usage: pulse_server.sh RUNTIME_DIR
set -euo pipefail
runtime=$1
mkdir -p -m 700 "$runtime"
rm -rf "$runtime/pulse" "$runtime"/pipewire-0* "$runtime/bus" "$runtime/ready"
export XDG_RUNTIME_DIR=$runtime HOME=$runtime
unset DBUS_SESSION_BUS_ADDRESS PULSE_SERVER  # nothing of the user's session is reached
servers=()
trap 'kill -KILL "${servers[@]}" 2>/dev/null || true; wait 2>/dev/null' EXIT
trap 'exit 0' TERM INT
socket=$runtime/pulse/native
up() {
  for _ in $(seq 200); do
    [[ -S $1 ]] && return 0
    sleep 0.05
  done
  echo "pulse_server.sh: $1 did not appear" >&2
  exit 1
}

if command -v pulseaudio >/dev/null; then
  pulseaudio --daemonize=no -n --exit-idle-time=-1 \
    --load="module-null-sink rate=48000 sink_name=e2e" \
    --load="module-native-protocol-unix auth-anonymous=1" 2>/dev/null &
  servers+=($!)
  up "$socket"  # the sink is loaded before the socket
else
  # The session manager needs a session bus: a private one.
  dbus-daemon --session --nofork --address="unix:path=$runtime/bus" 2>/dev/null &
  servers+=($!)
  up "$runtime/bus"
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus
  pipewire 2>/dev/null &
  servers+=($!)
  up "$runtime/pipewire-0"
  if command -v wireplumber >/dev/null; then
    wireplumber 2>/dev/null &
  else
    pipewire-media-session 2>/dev/null &
  fi
  servers+=($!)
  pipewire-pulse 2>/dev/null &
  servers+=($!)
  up "$socket"
  export PULSE_SERVER=unix:$socket
  pactl load-module module-null-sink sink_name=e2e rate=48000 >/dev/null
  # The session manager takes the new sink a moment later; until then it cannot be chosen.
  for _ in $(seq 200); do
    pactl set-default-sink e2e 2>/dev/null && break
    sleep 0.05
  done
  [[ $(pactl get-default-sink) == e2e ]] || { echo "pulse_server.sh: no sink e2e" >&2 && exit 1; }
fi
touch "$runtime/ready"
wait
