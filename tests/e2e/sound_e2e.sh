#!/usr/bin/env bash
# The sound path of the real program: the key N (note 69 on channel 1 at the default base
# key) must come out of the synthesizer as 440 Hz and die away after the key is released,
# and F3 must silence a note that is still held.
# Usage: sound_e2e.sh PLINKARO_EXECUTABLE     Needs: xvfb, xdotool, sox.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
start_x
PLINKARO_AUDIO_OUT="file:$E2E_WORK/out.wav" E2E_MIDI_OUT=synth start_plinkaro "$1"
# The file follows the clock from the first strike on; each key's time is taken when it has
# been sent, as a busy machine may start xdotool late.
now() { date +%s.%N; }
since_strike() { awk -v a="$strike" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
sleep 0.2
xdotool keydown n; strike=$(now)
sleep 0.6; xdotool keyup n; released=$(since_strike)  # a 440 Hz tone, then its release
sleep 1.5
xdotool keydown n; sleep 0.4; xdotool key F3; silenced=$(since_strike)  # the key still down
sleep 1.0; xdotool keyup n
sleep 0.5
kill -TERM "$PLINKARO_PID"; wait "$PLINKARO_PID" 2>/dev/null || true

# Time 0 is the first strike; the strongest line of the spectrum below 2 kHz.
sox "$E2E_WORK/out.wav" "$E2E_WORK/tone.wav" remix 1 silence 1 0.001 0.5%
frequency=$(strongest_line "$E2E_WORK/tone.wav" trim 0.1 0.4)
rms() { sox "$E2E_WORK/tone.wav" -n trim "$1" "$2" stat 2>&1 | awk '/RMS +amplitude/ {print $3}'; }
held=$(rms 0.1 0.4)
below() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b) ? "yes" : "no (" a ")" }'; }  # A < B
tenth=$(awk -v a="$held" 'BEGIN { print a / 10 }')
off=$(awk -v f="$frequency" 'BEGIN { d = f - 440; print d < 0 ? -d : d }')
check "the tone is 440 Hz within 2% ($frequency Hz)" "$(below "$off" 8.8)" yes
after() { awk -v a="$1" -v b="$2" 'BEGIN { print a + b }'; }
check "it dies away after the release" "$(below "$(rms "$(after "$released" 1.0)" 0.3)" "$tenth")" yes
check "F3 silences the held note" "$(below "$(rms "$(after "$silenced" 0.5)" 0.3)" "$tenth")" yes
finish
