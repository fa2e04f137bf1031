#!/usr/bin/env bash
# End-to-end check of the sound path through the real executable under Xvfb: the key N
# (note 69 on channel 1 at the default base key) must come out of the synth as 440 Hz,
# die away after the key is released, and F3 must silence a note that is still held.
# Usage: tests/e2e/sound_e2e.sh [path/to/plinkaro]     Needs: xvfb, xdotool, sox.
set -euo pipefail

app=${1:-build/debug/app/plinkaro}
work=$(mktemp -d)
trap 'kill "${app_pid:-}" "${xvfb_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 800x900x24 -nolisten tcp &
xvfb_pid=$!
export DISPLAY=$display
sleep 1

PLINKARO_MIDI_OUT=synth PLINKARO_AUDIO_OUT="file:$work/out.wav" "$app" &
app_pid=$!
window=$(xdotool search --sync --pid "$app_pid" | head -n 1)
xdotool windowfocus --sync "$window"
sleep 0.5

xdotool keydown n; sleep 0.6; xdotool keyup n   # a 440 Hz tone, then its release
sleep 1.5
xdotool keydown n; sleep 0.4; xdotool key F3    # F3 while the key is still down
sleep 1.0; xdotool keyup n
sleep 0.5
kill -TERM "$app_pid"; wait "$app_pid" 2>/dev/null || true
app_pid=

# Cut the leading silence so that time 0 is the first strike.
sox "$work/out.wav" "$work/tone.wav" remix 1 silence 1 0.001 0.5%
frequency=$(sox "$work/tone.wav" -n trim 0.1 0.4 stat 2>&1 | awk '/Rough +frequency/ {print $3}')
rms() { sox "$work/tone.wav" -n trim "$1" "$2" stat 2>&1 | awk '/RMS +amplitude/ {print $3}'; }
held=$(rms 0.1 0.4)
released=$(rms 1.6 0.3)     # 1 s after the release of the first note
silenced=$(rms 2.6 0.3)     # 0.3 s after F3, the second key still down

fail=0
awk -v f="$frequency" 'BEGIN { exit !(f >= 431.2 && f <= 448.8) }' ||
  { echo "tone is $frequency Hz, not 440 Hz +- 2%"; fail=1; }
awk -v a="$held" -v b="$released" 'BEGIN { exit !(b < a / 10) }' ||
  { echo "no decay after release: RMS $held then $released"; fail=1; }
awk -v a="$held" -v b="$silenced" 'BEGIN { exit !(b < a / 10) }' ||
  { echo "F3 did not silence the held note: RMS $held then $silenced"; fail=1; }
[ "$fail" -eq 0 ] && echo "sound e2e: $frequency Hz, RMS held $held, released $released, after F3 $silenced"
exit "$fail"
