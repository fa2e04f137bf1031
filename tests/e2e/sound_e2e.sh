#!/usr/bin/env bash
# End-to-end check of the sound path through the real executable under Xvfb: the key N
# (note 69 on channel 1 at the default base key) must come out of the synth as 440 Hz,
# die away after the key is released, and F3 must silence a note that is still held.
# Usage: tests/e2e/sound_e2e.sh [path/to/plinkaro]     Needs: xvfb, xdotool, sox.
set -euo pipefail

app=${1:-build/debug/app/plinkaro}
source "$(dirname "$0")/lib.sh"
work=$E2E_WORK
start_x

export PLINKARO_AUDIO_OUT="file:$work/out.wav"
E2E_MIDI_OUT=synth start_plinkaro "$app"
app_pid=$PLINKARO_PID
sleep 0.2

xdotool keydown n; sleep 0.6; xdotool keyup n   # a 440 Hz tone, then its release
sleep 1.5
xdotool keydown n; sleep 0.4; xdotool key F3    # F3 while the key is still down
sleep 1.0; xdotool keyup n
sleep 0.5
kill -TERM "$app_pid"; wait "$app_pid" 2>/dev/null || true
app_pid=
PLINKARO_PID=

# Cut the leading silence so that time 0 is the first strike.
sox "$work/out.wav" "$work/tone.wav" remix 1 silence 1 0.001 0.5%
# The strongest line of the spectrum below 2 kHz (sox prints "frequency power" pairs).
frequency=$(sox "$work/tone.wav" -n trim 0.1 0.4 stat -freq 2>&1 |
  awk 'NF == 2 && $1 ~ /^[0-9.]+$/ && $1 > 20 && $1 < 2000 && $2 > best { best = $2; f = $1 }
       END { printf "%.1f", f }')
rms() { sox "$work/tone.wav" -n trim "$1" "$2" stat 2>&1 | awk '/RMS +amplitude/ {print $3}'; }
held=$(rms 0.1 0.4)
released=$(rms 1.6 0.3)     # 1 s after the release of the first note
silenced=$(rms 3.0 0.3)     # 0.5 s after F3, the second key still down

fail=0
awk -v f="$frequency" 'BEGIN { exit !(f >= 431.2 && f <= 448.8) }' ||
  { echo "tone is $frequency Hz, not 440 Hz +- 2%"; fail=1; }
awk -v a="$held" -v b="$released" 'BEGIN { exit !(b < a / 10) }' ||
  { echo "no decay after release: RMS $held then $released"; fail=1; }
awk -v a="$held" -v b="$silenced" 'BEGIN { exit !(b < a / 10) }' ||
  { echo "F3 did not silence the held note: RMS $held then $silenced"; fail=1; }
E2E_FAILURES=$fail
[ "$fail" -eq 0 ] && echo "sound e2e: $frequency Hz, RMS held $held, released $released, after F3 $silenced"
exit "$fail"
