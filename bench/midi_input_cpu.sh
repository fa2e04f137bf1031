#!/usr/bin/env bash
# CPU of the real program under a private Xvfb server while a replayed MIDI input plays
# 1,000 messages a second (note-ons and note-offs across all 16 channels, each lighting and
# releasing a key), against the same program idle.
# Usage: [BENCH_MIDI_OUT=device] bench/midi_input_cpu.sh [PLINKARO_EXECUTABLE]
# (default build/release/app/plinkaro; the MIDI output: none)
set -euo pipefail
cd "$(dirname "$0")/.."
app=$(realpath "${1:-build/release/app/plinkaro}")
source tests/e2e/lib.sh
start_x
for i in $(seq 0 14999); do
  printf '%d short %x%x %02x %02x\n' $((i * 1000)) $((i % 2 ? 8 : 9)) $((i / 2 % 16)) \
    $((48 + i / 32 % 24)) $((i % 2 ? 0 : 100))
done >"$E2E_WORK/input.log"
hz=$(getconf CLK_TCK)
measure() {  # measure TITLE PLINKARO_MIDI_IN
  E2E_MIDI_OUT=${BENCH_MIDI_OUT:-none} E2E_MIDI_IN=$2 start_plinkaro "$app"
  sleep 2
  local before after
  before=$(awk '{ print $14 + $15 }' "/proc/$PLINKARO_PID/stat")
  sleep 10
  after=$(awk '{ print $14 + $15 }' "/proc/$PLINKARO_PID/stat")
  awk -v t=$((after - before)) -v hz="$hz" -v title="$1" \
    'BEGIN { printf "%s over 10 s: %.2f %% of a core\n", title, 100 * t / hz / 10 }'
  kill "$PLINKARO_PID"
  wait "$PLINKARO_PID" 2>/dev/null || true
}
measure "idle" none
measure "1,000 input messages a second" "replay:$E2E_WORK/input.log"
