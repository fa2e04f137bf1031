#!/usr/bin/env bash
# Song playback on the real timer: a generated file named on the command line, played with
# F5 and compared with its ideal schedule; through a device other than the synthesizer, with
# FluidSynth's library never loaded.
# Usage: song_e2e.sh PLINKARO_EXECUTABLE SONG_E2E_TOOL
set -euo pipefail
source "$(dirname "$0")/lib.sh"
# The timing bound holds on an idle machine; a busy one may set a wider bound. Each run
# adds how late the machine itself woke a thread meanwhile (start_floor).
TOLERANCE_US=${E2E_SONG_TOLERANCE_US:-2000}

"$2" write "$E2E_WORK"
start_x
start_plinkaro "$1" "$E2E_WORK/song.mid"
# Every run must send every message once and in order; lateness alone comes from a
# loaded machine, so the song is played again (F4) up to twice when only the times miss.
transport=F5
for attempt in 1 2 3; do
  line=$(($(midi_line_count) + 1))
  start_floor 4
  xdotool key $transport
  # The song lasts about 3.3 s; it is over when the log holds all of it.
  within 20 has_lines "$MIDI_LOG" $((line - 1 + $(wc -l <"$E2E_WORK/schedule.txt"))) || true
  finish_floor
  report=$("$2" check "$E2E_WORK/schedule.txt" "$MIDI_LOG" $line $((TOLERANCE_US + FLOOR_LATE_US))) &&
    status=0 || status=$?
  echo "run $attempt: $report (the machine itself woke a thread up to $FLOOR_LATE_US us late)"
  [[ $status != 3 ]] && break
  transport=F4
done
check "every message once, in order per channel, within $TOLERANCE_US us and the machine's own lateness" "$status" 0
check "FluidSynth is not loaded" "$(grep -c libfluidsynth "/proc/$PLINKARO_PID/maps" || true)" 0
finish
