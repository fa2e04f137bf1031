#!/usr/bin/env bash
# Playback under load through the real program: a dense song (16 tracks, a note-on or a
# note-off on every channel every 0.5 ms for 10 s, 320,016 messages), or with SONG=ordinary
# 16 s of an ordinary band on 16 channels, named on the command line, played with F5 into
# the MIDI log device under a private Xvfb server. Reports, per
# run, whether every message arrived once and in order, the lateness against the ideal
# schedule (p50, p99, max), and whether the rows at the end look as before the song (every
# note released: the strips converged). With WITH_MENU=1 the right-click menu is opened half
# a second into the song and stays open until the song has ended.
# Usage: [RUNS=3] [WITH_MENU=1] [SONG=ordinary] bench/song_playback.sh [PLINKARO_EXECUTABLE...]
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

for run in $(seq "$runs"); do
  for app in "${apps[@]}"; do
    start_plinkaro "$app" "$E2E_WORK/$song"
    shoot
    before=$(crop_signature 0 0 480 720)
    line=$(($(midi_line_count) + 1))
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
    shoot
    after=$(crop_signature 0 0 480 720)
    converged=$([[ $before == "$after" ]] && echo "rows as before" || echo "ROWS DIFFER")
    echo "$app run $run: $("$tool" check "$E2E_WORK/$schedule" "$MIDI_LOG" "$line"); $converged" \
      "(load average $(cut -d' ' -f1 /proc/loadavg))"
    kill "$PLINKARO_PID"
    wait "$PLINKARO_PID" 2>/dev/null || true
  done
done
