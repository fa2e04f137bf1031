#!/usr/bin/env bash
# The real program in a real X window: rows drawn, keys played and lit, sustain,
# transposition, the JIS and US layouts, scrolling, and a clean exit by the close box.
# Usage: live_play_e2e.sh PLINKARO_EXECUTABLE X_INPUT_TOOL
set -euo pipefail
source "$(dirname "$0")/lib.sh"
PLINKARO=$1
X_INPUT=$2

WHITE=255,255,255
GRAY=128,128,128
LAVENDER=192,192,255

start_x
setxkbmap -layout jp
start_plinkaro "$PLINKARO"

echo "# the picture at start"
shoot
check_pixel "row 0 header is gray (current channel)" 470 1 $GRAY
for row in 1 7 15; do
  check_pixel "row $row header is white" 470 $((row * 48 + 1)) $WHITE
done
check_pixel "key 48 released at x 0" 8 42 $WHITE
check_pixel "key 48's left outline at x 0" 0 42 0,0,0
check_pixel "row 15's keyboard is drawn" 8 $((15 * 48 + 42)) $WHITE
check "the log opened the device" "$(midi_calls_from 1 | head -n 1)" "open"

echo "# Z plays note 60 and lights key 60"
line=$(($(midi_line_count) + 1))
keydown z
settle
shoot
check_pixel "key 60 lit while Z is down" 120 42 $LAVENDER
keyup z
settle
shoot
check_pixel "key 60 released after Z is up" 120 42 $WHITE
check "Z sends note-on then note-off" "$(midi_calls_from $line | tr '\n' '|')" "short 90 3c 7f|short 80 3c 7f|"

echo "# Shift holds the note until it comes up"
line=$(($(midi_line_count) + 1))
keydown Shift_L
keydown x
keyup x
settle
shoot
check_pixel "key 62 still lit under sustain" $((112 + 16 + 8)) 42 $LAVENDER
check "no note-off while Shift is down" "$(midi_calls_from $line | tr '\n' '|')" "short 90 3e 7f|"
keyup Shift_L
settle
shoot
check_pixel "key 62 released with Shift" $((112 + 16 + 8)) 42 $WHITE
check "the note-off comes with Shift up" "$(midi_calls_from $((line + 1)) | tr '\n' '|')" "short 80 3e 7f|"

echo "# JIS keys right of L, right of / and right of : play offsets 15, 17 and 18"
line=$(($(midi_line_count) + 1))
for keycode in 47 97 51; do  # X keycodes of those physical keys
  "$X_INPUT" key $keycode down
  "$X_INPUT" key $keycode up
done
settle
check "JIS offsets" "$(midi_calls_from $line | tr '\n' '|')" \
  "short 90 4b 7f|short 80 4b 7f|short 90 4d 7f|short 80 4d 7f|short 90 4e 7f|short 80 4e 7f|"

echo "# Up moves the strip an octave"
key Up
settle
line=$(($(midi_line_count) + 1))
keydown z
settle
shoot
check_pixel "note 72 lit at x 112 after Up" 120 42 $LAVENDER
keyup z
check "Z plays 72 after Up" "$(midi_calls_from $line | head -n 1)" "short 90 48 7f"
key Down
settle

echo "# US layout: '=' plays offset 15"
setxkbmap -layout us
sleep 0.3
line=$(($(midi_line_count) + 1))
keydown equal
keyup equal
settle
check "US '=' plays offset 15" "$(midi_calls_from $line | tr '\n' '|')" "short 90 4b 7f|short 80 4b 7f|"

echo "# a lower window scrolls: the scroll bar shows and the wheel moves 16 pixels a notch"
key 3  # channel 3 (row 2) current: its header is gray at document y 96..111
xdotool windowsize "$WINDOW" 480 400
settle 0.4
shoot
check_pixel "row 2 header gray before scrolling" 400 97 $GRAY
xdotool mousemove --window "$WINDOW" 200 200 click 5
settle 0.3
shoot
check_pixel "one notch down: row 2 header 16 pixels higher" 400 81 $GRAY
check_pixel "one notch down: row 3 header is white" 400 $((144 - 16 + 1)) $WHITE
geometry=$(xdotool getwindowgeometry "$WINDOW" | sed -n 's/.*Geometry: //p')
width=${geometry%x*}
bar=$(pixel $((width - 9)) 200)
check "the scroll bar is drawn at the right edge" "$([[ $bar != "$WHITE" && $bar != "$GRAY" ]] && echo yes || echo "no ($bar)")" yes

echo "# the close box ends the program with exit code 0"
"$X_INPUT" close "$WINDOW"
status=0
for _ in $(seq 50); do
  kill -0 "$PLINKARO_PID" 2>/dev/null || break
  sleep 0.1
done
wait "$PLINKARO_PID" || status=$?
PLINKARO_PID=""
check "exit code" "$status" "0"
check "the log closed the device last" "$(tail -n 1 "$MIDI_LOG" | cut -d' ' -f2-)" "close"

finish
