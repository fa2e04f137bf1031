#!/usr/bin/env bash
# Measures the real program under a private Xvfb server: time from exec to the first
# frame presented, CPU used while idle over 10 s, and resident memory.
# Usage: [BENCH_MIDI_OUT=device] bench/app_startup_idle.sh [PLINKARO_EXECUTABLE]
# (default build/release/app/plinkaro; the MIDI device for the start-up runs: none)
set -euo pipefail
cd "$(dirname "$0")/.."
app=$(realpath "${1:-build/release/app/plinkaro}")
source tests/e2e/lib.sh
start_x

# Start-up: the user32 trace reports every frame presented; take the first.
for run in 1 2 3 4 5; do
  start=$EPOCHREALTIME
  first=""
  while IFS= read -r line; do
    if [[ $line == "user32: present"* ]]; then
      first=$EPOCHREALTIME
      break
    fi
  done < <(PLINKARO_TRACE=user32 PLINKARO_MIDI_OUT="${BENCH_MIDI_OUT:-none}" exec "$app" 2>&1)
  pkill -f "$app" 2>/dev/null || true
  sleep 0.3
  awk -v a="$start" -v b="$first" 'BEGIN { printf "exec to first frame, run '$run': %.1f ms\n", (b - a) * 1000 }'
done

# Idle: CPU ticks of the process over 10 s, and its resident memory.
start_plinkaro "$app"
sleep 2
ticks() { awk '{ print $14 + $15 }' "/proc/$PLINKARO_PID/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep 10
after=$(ticks)
awk -v t=$((after - before)) -v hz="$hz" 'BEGIN { printf "idle CPU over 10 s: %.2f %% of a core\n", 100 * t / hz / 10 }'
grep -E 'VmRSS|VmHWM' "/proc/$PLINKARO_PID/status"
