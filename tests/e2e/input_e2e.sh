#!/usr/bin/env bash
# MIDI input in the real program: a replayed file lights its notes on the rows of their
# channels and shows its program in the header, every message goes out once and in order
# (clock left behind), and F3 releases the notes that input holds.
# Usage: input_e2e.sh PLINKARO_EXECUTABLE
set -euo pipefail
source "$(dirname "$0")/lib.sh"
PLINKARO=$1
LAVENDER=192,192,255
WHITE=255,255,255

cat >"$E2E_WORK/input.log" <<'CALLS'
0 short 90 3c 64
1000 short 93 40 50
2000 short f8 00 00
3000 short c3 05 00
4000 short b3 07 64
5000 long f0 7e 7f 09 01 f7
CALLS
played="short 90 3c 64|short 93 40 50|short c3 05 00|short b3 07 64|long f0 7e 7f 09 01 f7|"

start_x
E2E_MIDI_IN="replay:$E2E_WORK/input.log" start_plinkaro "$PLINKARO"
eventually "every message goes out once, in order" "$played" midi_calls_from 2
eventually_pixel "note 60 lit on row 0" 120 42 $LAVENDER
check_pixel "note 64 lit on row 3" 152 $((3 * 48 + 42)) $LAVENDER
check_pixel "note 64 not lit on row 0" 152 42 $WHITE
# "Instrument =   0   0   5" on row 3: the program's last digit differs from row 1's 0.
program() { crop_signature 314 $(($1 * 48 + 2)) 6 12; }
check "row 3's header shows program 5" "$([[ $(program 3) != "$(program 1)" ]] && echo shown)" shown

xdotool key F3
eventually "F3 releases the input's notes" "short 80 3c 7f|short 83 40 7f|reset|" midi_calls_from 7
eventually_pixel "note 60 released" 120 42 $WHITE
check_pixel "note 64 released" 152 $((3 * 48 + 42)) $WHITE
finish
