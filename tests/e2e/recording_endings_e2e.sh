#!/usr/bin/env bash
# What becomes of a take when the program ends other than by F7: the display lost, a
# hang-up, kill -9 (the next start completes the take), and a second Plinkaro started
# meanwhile (it leaves the live take alone). Python's mido reads every file.
# Usage: recording_endings_e2e.sh PLINKARO_EXECUTABLE
set -euo pipefail
source "$(dirname "$0")/lib.sh"
PLINKARO=$1
PYTHON=/usr/bin/python3
"$PYTHON" -c 'import mido' 2>/dev/null || bash "$(dirname "$0")/../../scripts/install-deps.sh"
TAKES=$E2E_WORK/takes
mkdir "$TAKES"
export PLINKARO_RECORD_DIR=$TAKES TMPDIR=$E2E_WORK
settings_file F7StartsRecording=1  # F7 records only when its option is on

# The one place that starts a take.
start_take() {
  xdotool key F7
  within 5 found_window '^Plinkaro - Recording$'
}
# ended: the program has exited; its exit code in ENDED_WITH.
ended() { ! kill -0 "$PLINKARO_PID" 2>/dev/null; }
wait_for_end() {
  within 10 ended || return 1
  ENDED_WITH=0
  wait "$PLINKARO_PID" 2>/dev/null || ENDED_WITH=$?
}
# notes FILE: the note messages of a take as "on 3c", "off 3c", joined by '|'.
notes() {
  "$PYTHON" - "$1" <<'PYTHON'
import sys, mido
song = mido.MidiFile(sys.argv[1])
print("|".join(("on " if m.type == "note_on" and m.velocity else "off ") + "%02x" % m.note
               for m in song.tracks[0] if m.type in ("note_on", "note_off")))
PYTHON
}
takes_named() { find "$TAKES" -mindepth 1 -maxdepth 1 -name "$1" -printf '%f\n'; }
# sent COUNT: the program has sent at least COUNT notes (ons and offs) to its MIDI log.
sent() { (($(grep -c ' short [89]' "$MIDI_LOG") >= $1)); }
new_x() {
  rm -f "$E2E_WORK/display"
  start_x
}

echo "# the display is lost during a take"
new_x
start_plinkaro "$PLINKARO"
start_take
xdotool key z x
within 5 sent 4
kill "$XVFB_PID"
wait_for_end || true
check "the program ends when the display is gone" "$(ended && echo ended)" ended
check "with exit code 1" "${ENDED_WITH:-}" 1
take=$(takes_named '*.mid')
check "the take is saved under its own name" "$(grep -cE '^plinkaro-[0-9]{8}-[0-9]{6}\.mid$' <<<"$take")" 1
check "it holds the keys played" "$(notes "$TAKES/$take")" "on 3c|off 3c|on 3e|off 3e"
check "the standard error names it" "$(grep -c "saved as $TAKES/$take" "$E2E_WORK/plinkaro.out")" 1
rm -f "$TAKES"/*

echo "# a hang-up during a take"
new_x
start_plinkaro "$PLINKARO"
start_take
xdotool key c
within 5 sent 2
kill -HUP "$PLINKARO_PID"
wait_for_end || true
check "SIGHUP ends the program with exit code 0" "${ENDED_WITH:-running}" 0
take=$(takes_named '*.mid')
check "the take is saved" "$(notes "$TAKES/$take")" "on 40|off 40"
rm -f "$TAKES"/*

echo "# SIGTERM during a take, a while after the last input"
new_x
start_plinkaro "$PLINKARO"
start_take
xdotool key v
within 5 sent 2
sleep 1.5
ENDED_WITH=""
kill -TERM "$PLINKARO_PID"
within 5 ended && wait_for_end
check "SIGTERM ends the idle program at once, with exit code 0" "${ENDED_WITH:-running}" 0
take=$(takes_named '*.mid')
check "the take is saved" "$(notes "$TAKES/$take")" "on 41|off 41"
rm -f "$TAKES"/*

echo "# kill -9 during a take, a second Plinkaro meanwhile, then a new start"
start_plinkaro "$PLINKARO"
FIRST_PID=$PLINKARO_PID
start_take
xdotool key z x
xdotool keydown c
within 5 sent 5
part=$(takes_named '*.part')
check "the live take has its .part file" "$(grep -cE '^plinkaro-[0-9]{8}-[0-9]{6}\.part$' <<<"$part")" 1
E2E_MIDI_OUT=log:$E2E_WORK/second.log start_plinkaro "$PLINKARO"
check "a second Plinkaro leaves the live take alone" "$(takes_named '*')" "$part"
check "and says nothing of it" "$(grep -c recovered "$E2E_WORK/plinkaro.out" || true)" 0
kill "$PLINKARO_PID"
wait_for_end || true
# The keys were played more than a second before the kill: that is what must survive it.
sleep 1.1
kill -KILL "$FIRST_PID"
PLINKARO_PID=$FIRST_PID
wait_for_end || true
xdotool keyup c
check "kill -9 leaves the .part" "$(takes_named '*')" "$part"
PLINKARO_MIDI_OUT=log:$E2E_WORK/third.log PLINKARO_MIDI_IN=none "$PLINKARO" >"$E2E_WORK/plinkaro.out" 2>&1 &
PLINKARO_PID=$!
E2E_PIDS+=("$PLINKARO_PID")
recovered=${part%.part}-recovered.mid
within 10 found_window "^Plinkaro - Recovered $recovered\$" || true
check "the next start names the recovered take in the title" "$(xdotool getwindowname "$WINDOW" 2>/dev/null)" \
  "Plinkaro - Recovered $recovered"
check "and on the standard error" "$(grep -c "recovered as $TAKES/$recovered" "$E2E_WORK/plinkaro.out")" 1
check "in place of the .part" "$(takes_named '*')" "$recovered"
check "every note played, the held one ended" "$(notes "$TAKES/$recovered")" \
  "on 3c|off 3c|on 3e|off 3e|on 40|off 40"
gone_title() { [[ $(xdotool getwindowname "$WINDOW") == Plinkaro ]]; }
within 5 gone_title || true
check "then the title is the program's again" "$(xdotool getwindowname "$WINDOW")" "Plinkaro"

finish
