#!/usr/bin/env bash
# Playback under load through the real program: a dense song (16 tracks, a note-on or a
# note-off on every channel every 0.5 ms for 10 s, 320,016 messages), or with SONG=ordinary
# 16 s of an ordinary band on 16 channels, named on the command line, played with F5 into
# the MIDI log device under a private Xvfb server. Reports, per
# run, whether every message arrived once and in order, the lateness against the ideal
# schedule (p50, p99, max), and whether the rows at the end look as before the song (every
# note released: the strips converged). With WITH_MENU=1 the right-click menu is opened half
# a second into the song and stays open until the song has ended.
# With perf installed, each run also counts the program's sleeps while the song plays: its
# only sleeps then are the 10 ms waits for a contended redraw lock. After each run, the floor:
# cyclictest (rt-tests) wakes a thread of the playback timer's policy and priority every
# 1 ms for as long as the song, and reports how late the machine itself woke it (p99, max).
# With TIMELINE=1 (needs perf), the scheduler is recorded across the machine during each run,
# and bench/playback_timeline.py tells for each step that sent a message more than 2 ms late
# how long the timer thread slept before it and what ran on each CPU meanwhile.
# Usage: [RUNS=3] [WITH_MENU=1] [SONG=ordinary] [TIMELINE=1] bench/song_playback.sh [PLINKARO_EXECUTABLE...]
#        (default build/release/app/plinkaro; the tool from build/release/bench)
set -euo pipefail
cd "$(dirname "$0")/.."
apps=()
for app in "${@:-build/release/app/plinkaro}"; do apps+=("$(realpath "$app")"); done
tool=$(realpath "${SONG_TOOL:-build/release/bench/song_log_lateness}")
runs=${RUNS:-3}
if [[ ${SONG:-dense} == ordinary ]]; then
  song=ordinary.mid schedule=ordinary.txt length=16
else
  song=dense.mid schedule=schedule.txt length=10
fi
source tests/e2e/lib.sh
"$tool" write "$E2E_WORK"
start_x
# The playback timer runs at the lowest real-time priority but one where the process may.
if chrt -f 2 true 2>/dev/null; then floor_policy=(--policy=fifo -p 2 -m); else floor_policy=(--policy=other -p 0); fi
floor() {
  cyclictest "${floor_policy[@]}" -i 1000 -D "$length" -q -h 20000 >"$E2E_WORK/floor.txt" 2>&1 ||
    { echo "floor: cyclictest failed" && return; }
  awk '!/^#/ { count[$1 + 0] = $2; n += $2 }
       /^# Max Latencies/ { max = $4 + 0 }
       END { for (i = 0; i < 20000 && seen < n * 0.99; i++) seen += count[i]
             printf "floor: a 1 ms %s wake-up late by p99 %.3f max %.3f ms\n", policy, (i - 1) / 1000, max / 1000 }' \
    policy="${floor_policy[0]#--policy=}" "$E2E_WORK/floor.txt"
}

for run in $(seq "$runs"); do
  for app in "${apps[@]}"; do
    if [[ -n ${TIMELINE:-} ]]; then
      perf record -q -a -k mono -o "$E2E_WORK/perf.data" -e sched:sched_switch \
        -e syscalls:sys_enter_clock_nanosleep \
        -e syscalls:sys_enter_openat --filter 'flags == 0x241' 2>/dev/null &
      record_pid=$!
      sleep 0.5
    fi
    start_plinkaro "$app" "$E2E_WORK/$song"
    shoot
    before=$(crop_signature 0 0 480 720)
    line=$(($(midi_line_count) + 1))
    sleeps=""
    if command -v perf >/dev/null; then
      perf stat -x, -o "$E2E_WORK/sleeps.txt" -p "$PLINKARO_PID" \
        -e syscalls:sys_enter_nanosleep,syscalls:sys_enter_clock_nanosleep &
      perf_pid=$!
      sleep 0.2
    fi
    xdotool key F5
    if [[ -n ${WITH_MENU:-} ]]; then
      sleep 0.5
      xdotool mousemove --window "$WINDOW" 200 200 click 3
      within 5 eval '[[ -n "$(other_windows)" ]]' || echo "the menu did not open" >&2
      sleep "$length.5"
      xdotool key Escape
      settle 0.3
    else
      sleep "$((length + 1))"
    fi
    if [[ -n ${perf_pid:-} ]]; then
      kill -INT "$perf_pid" && wait "$perf_pid" || true
      sleeps="; $(awk -F, '/^[0-9]/ { n += $1 } END { print n + 0 }' "$E2E_WORK/sleeps.txt") sleeps"
    fi
    shoot
    after=$(crop_signature 0 0 480 720)
    converged=$([[ $before == "$after" ]] && echo "rows as before" || echo "ROWS DIFFER")
    echo "$app run $run: $("$tool" check "$E2E_WORK/$schedule" "$MIDI_LOG" "$line")$sleeps;" \
      "$converged (load average $(cut -d' ' -f1 /proc/loadavg))"
    if [[ -n ${TIMELINE:-} ]]; then
      kill -INT "$record_pid" && wait "$record_pid" || true
      perf script -i "$E2E_WORK/perf.data" -F comm,pid,tid,cpu,time,event,trace \
        >"$E2E_WORK/perf.txt" 2>/dev/null
      python3 bench/playback_timeline.py "$E2E_WORK/$schedule" "$MIDI_LOG" "$line" \
        "$E2E_WORK/perf.txt" "$PLINKARO_PID"
    fi
    kill "$PLINKARO_PID"
    wait "$PLINKARO_PID" 2>/dev/null || true
    floor
  done
done
