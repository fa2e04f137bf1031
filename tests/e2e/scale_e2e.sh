#!/usr/bin/env bash
# The window shown twice as large on a tall screen: the X window's size, a key lit while
# held and a click on a row, both at twice their coordinates; then the scale from the X
# server's Xft.dpi, lowered until the window fits the screen. The program reads no compose
# table (it takes no text from the input method), so a compose file that cannot be read
# does not hold up its start.
# Usage: scale_e2e.sh PLINKARO_EXECUTABLE X_INPUT_TOOL
set -euo pipefail
source "$(dirname "$0")/lib.sh"
size() { xwininfo -id "$WINDOW" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'; }

start_x 1100x2000
PLINKARO_SCALE=2 start_plinkaro "$1"
check "PLINKARO_SCALE=2: the window is 2 x 497 by 2 x 768" "$(size)" 994x1536
keydown z
eventually_pixel "key 60 is lit at twice its place while Z is held" 240 84 192,192,255
check_pixel "a window pixel is a 2 x 2 block" 241 85 192,192,255
line=$(($(midi_line_count) + 1))
keyup z
eventually "releasing Z ends note 60" "short 80 3c 7f|" midi_calls_from $line
xdotool mousemove --window "$WINDOW" 200 $((2 * (5 * 48 + 20))) click 1
line=$(($(midi_line_count) + 1))
xdotool key z
eventually "a click at twice row 5's place chooses channel 6" "short 95 3c 7f|short 85 3c 7f|" \
  midi_calls_from $line
close_plinkaro "$2"

# Xft.dpi 288 asks for 3, but 3 x 768 does not fit a screen 2000 pixels high. The compose
# file is a pipe that nothing writes to: opening it would wait forever.
xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	288"
mkfifo "$E2E_WORK/compose"
XCOMPOSEFILE="$E2E_WORK/compose" start_plinkaro "$1"
check "Xft.dpi 288 on a screen 2000 high: twice as large" "$(size)" 994x1536
close_plinkaro "$2"
finish
