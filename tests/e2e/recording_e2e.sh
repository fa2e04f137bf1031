#!/usr/bin/env bash
# Recording in the real program (F7's option on): F7, keys, F5 with a song, F7. The title says that it
# records, then names the file; the file holds every message that went out, as an
# independent reader (Python's mido) reads it.
# Usage: recording_e2e.sh PLINKARO_EXECUTABLE SONG_E2E_TOOL
set -euo pipefail
source "$(dirname "$0")/lib.sh"
PLINKARO=$1
TOOL=$2
# Debian's python3-mido, for Debian's own Python.
PYTHON=/usr/bin/python3
"$PYTHON" -c 'import mido' 2>/dev/null || bash "$(dirname "$0")/../../scripts/install-deps.sh"

"$TOOL" write "$E2E_WORK"
mkdir "$E2E_WORK/takes"
settings_file F7StartsRecording=1
start_x
PLINKARO_RECORD_DIR="$E2E_WORK/takes" start_plinkaro "$PLINKARO" "$E2E_WORK/song.mid"
title() { xdotool getwindowname "$WINDOW"; }

xdotool key F7
eventually "the title while recording" "Plinkaro - Recording" title
xdotool key z x
xdotool key F5
# The whole song: the log's opening, the keys' four messages and the song's.
within 20 has_lines "$MIDI_LOG" $(($(wc -l <"$E2E_WORK/schedule.txt") + 5)) || true
xdotool key F7
saved() { [[ $(title) == "Plinkaro - Saved "* ]]; }
within 10 saved || true
take=$(ls "$E2E_WORK/takes")
check "one take is saved under the name of its start" "$(grep -cE '^plinkaro-[0-9]{8}-[0-9]{6}\.mid$' <<<"$take")" 1
check "the title names it" "$(title)" "Plinkaro - Saved $take"
eventually "then the title is the program's again" "Plinkaro" title

# What went out (the log after its opening) against what the file holds after the tempo and
# the 48 instrument messages; system exclusive is compared by its place only.
sent=$(tail -n +2 "$MIDI_LOG" | cut -d" " -f2- | sed 's/^long .*/long/')
held=$("$PYTHON" - "$E2E_WORK/takes/$take" <<'PYTHON'
import sys, mido
song = mido.MidiFile(sys.argv[1])
print(song.type, len(song.tracks), song.ticks_per_beat, song.tracks[0][0].tempo)
for message in [m for m in song.tracks[0] if not m.is_meta][48:]:
    data = message.bytes()
    print("long" if data[0] == 0xF0 else "short " + " ".join("%02x" % b for b in (data + [0, 0])[:3]))
PYTHON
)
check "a format 0 file of one track at 1 ms a tick" "$(head -n 1 <<<"$held")" "0 1 500 500000"
check "the keys are in it" "$(sed -n 2,5p <<<"$held" | tr '\n' '|')" \
  "short 90 3c 7f|short 80 3c 7f|short 90 3e 7f|short 80 3e 7f|"
check "every message that went out, in order" "$(tail -n +2 <<<"$held")" "$sent"
check "the whole song and the keys went out" "$(wc -l <<<"$sent")" $(($(wc -l <"$E2E_WORK/schedule.txt") + 4))

finish
