#!/usr/bin/env bash
# The sound server going away under the running program: with the default synth on a
# private PulseAudio server (a null sink), the key N sounds 440 Hz on the sink's monitor;
# the server is killed and started again on the same socket, the program says so in one
# line each way, and the key sounds again without a restart of the program.
# Usage: sound_server_e2e.sh PLINKARO_EXECUTABLE
# Needs: xvfb, xdotool, pulseaudio or pipewire-pulse, parec and pactl, sox.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
PULSE_RUNTIME=$E2E_WORK/pulse-runtime
PULSE_PID=""
export PULSE_SERVER="unix:$PULSE_RUNTIME/pulse/native"

# A private server (pulseaudio, or PipeWire's service) with the null sink "e2e".
start_pulse() {
  bash "$(dirname "$0")/../pulse_server.sh" "$PULSE_RUNTIME" &
  PULSE_PID=$!
  E2E_PIDS+=("$PULSE_PID")
  within 10 test -e "$PULSE_RUNTIME/ready" || { echo "no sound server started" >&2 && exit 1; }
}
# As a crash would: the program learns it from its broken connection.
kill_pulse() {
  kill -TERM "$PULSE_PID"
  wait "$PULSE_PID" 2>/dev/null || true
}

# strike NAME: the key N held for 3 s while the monitor is recorded (a null sink that has
# been idle may wait up to 2 s before it asks for sound again); the strongest line of the
# spectrum below 2 kHz, in Hz.
strike() {
  parec -d e2e.monitor --latency-msec=50 --rate=48000 --channels=1 --format=s16le \
    --file-format=wav "$E2E_WORK/$1.wav" &
  local recorder=$!
  sleep 0.3
  xdotool keydown n
  sleep 3
  xdotool keyup n
  sleep 0.2
  kill -TERM "$recorder"
  wait "$recorder" 2>/dev/null || true
  strongest_line "$E2E_WORK/$1.wav"
}
near_440() { awk -v f="$1" 'BEGIN { d = f - 440; print (d < 9 && d > -9) ? "440 Hz" : f " Hz" }'; }
lines_saying() { grep -c "$1" "$E2E_WORK/plinkaro.out" || true; }

start_x
start_pulse
PLINKARO_AUDIO_DRIVER=pulseaudio E2E_MIDI_OUT=synth start_plinkaro "$1"
check "the key sounds through the sound server" "$(near_440 "$(strike before)")" "440 Hz"

kill_pulse
eventually "a lost server is one line on stderr" 1 lines_saying 'the sound server went away'
xdotool key n  # played while nothing hears it
start_pulse
eventually "and its return another" 1 lines_saying 'the sound server is back'
check "the key sounds again, the program never restarted" "$(near_440 "$(strike after)")" "440 Hz"
check "with nothing else said" "$(grep -c . "$E2E_WORK/plinkaro.out")" 2
kill -TERM "$PLINKARO_PID"
wait "$PLINKARO_PID" 2>/dev/null || true
finish
