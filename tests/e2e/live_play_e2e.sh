#!/usr/bin/env bash
# The real program in a real X window: its first picture, a key lit while held, keys of the
# JIS and US layouts through XKB, a click choosing a channel, a resize and the wheel
# scrolling, and a clean exit by the close box.
# Usage: live_play_e2e.sh PLINKARO_EXECUTABLE X_INPUT_TOOL
set -euo pipefail
source "$(dirname "$0")/lib.sh"
X_INPUT=$2
GRAY=128,128,128

start_x
setxkbmap -layout jp
start_plinkaro "$1"

echo "# the first picture, and Z lighting key 60"
keydown z
eventually_pixel "key 60 is lit while Z is held" 120 42 192,192,255
check_pixel "row 0's header is gray (the current channel)" 470 1 $GRAY
check_pixel "key 48 is drawn at x 0" 8 42 255,255,255
line=$(($(midi_line_count) + 1))
keyup z
eventually "releasing Z ends note 60" "short 80 3c 7f|" midi_calls_from $line

echo "# JIS keys right of L, right of / and right of : play offsets 15, 17 and 18"
line=$(($(midi_line_count) + 1))
for keycode in 47 97 51; do  # X keycodes of those physical keys
  "$X_INPUT" key $keycode down
  "$X_INPUT" key $keycode up
done
eventually "JIS offsets" \
  "short 90 4b 7f|short 80 4b 7f|short 90 4d 7f|short 80 4d 7f|short 90 4e 7f|short 80 4e 7f|" \
  midi_calls_from $line

echo "# US layout: '=' plays offset 15"
setxkbmap -layout us
sleep 0.3
line=$(($(midi_line_count) + 1))
xdotool key equal
eventually "US '=' plays offset 15" "short 90 4b 7f|short 80 4b 7f|" midi_calls_from $line

echo "# a click on row 5 chooses channel 6"
xdotool mousemove --window "$WINDOW" 100 $((5 * 48 + 20)) click 1
line=$(($(midi_line_count) + 1))
xdotool key z
eventually "Z plays on channel 6" "short 95 3c 7f|short 85 3c 7f|" midi_calls_from $line

echo "# a lower window shows the scroll bar, and the wheel scrolls 16 pixels a notch"
xdotool windowsize "$WINDOW" 480 400
settle 0.4
xdotool mousemove --window "$WINDOW" 200 200 click 5
eventually_pixel "row 5's header is 16 pixels higher" 400 $((5 * 48 - 16 + 1)) $GRAY
check_pixel "the scroll bar's thumb is drawn at the right edge" $((480 - 9)) 200 205,205,205

close_plinkaro "$X_INPUT"
check "the log closed the device last" "$(tail -n 1 "$MIDI_LOG" | cut -d' ' -f2-)" "close"
finish
