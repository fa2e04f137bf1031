#!/usr/bin/env bash
# The real program in a real X window: the value editor (Q, a digit, Enter; typed ahead
# too), a click choosing a channel, skin files next to the executable cycled with F6, and a
# broken skin file reported by a message box while the program goes on. Without a display
# the program says so and ends.
# Usage: editor_skin_e2e.sh PLINKARO_EXECUTABLE X_INPUT_TOOL
set -euo pipefail
source "$(dirname "$0")/lib.sh"
PLINKARO=$1
X_INPUT=$2

WHITE=255,255,255
GRAY=128,128,128
RED=255,0,0
GREEN=0,255,0

tap() { xdotool key "$@"; }
click_at() { xdotool mousemove --window "$WINDOW" "$1" "$2" click 1; }
# A copy of the program in its own folder, so that the .bmp files beside it are its skins.
program_in() {
  mkdir -p "$1"
  cp "$PLINKARO" "$1/plinkaro"
}
stop_plinkaro() {
  "$X_INPUT" close "$WINDOW"
  for _ in $(seq 100); do
    kill -0 "$PLINKARO_PID" 2>/dev/null || break
    sleep 0.05
  done
  local state=ended
  if kill -0 "$PLINKARO_PID" 2>/dev/null; then
    state=running
    kill -9 "$PLINKARO_PID" 2>/dev/null || true
  fi
  check "the program ended" "$state" ended
  PLINKARO_PID=""
}

echo "# no display"
status=0
said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$PLINKARO" 2>&1) || status=$?
check "one line says why" "$said" \
  "plinkaro: cannot open a window: no display; set DISPLAY or WAYLAND_DISPLAY"
check "and the program ends with 1" "$status" 1

start_x
setxkbmap -layout jp

FIRST="$E2E_WORK/two-skins"
program_in "$FIRST"
convert -size 48x128 xc:'rgb(255,0,0)' -type TrueColor BMP3:"$FIRST/a-red.bmp"
convert -size 48x128 xc:'rgb(0,255,0)' -type TrueColor BMP3:"$FIRST/b-green.bmp"
start_plinkaro "$FIRST/plinkaro"

echo "# Q on channel 3, 5, Enter"
tap 3
settle
shoot
# The three numbers are right-aligned in three 6-pixel columns from x 254: the last
# digits of bank MSB and bank LSB are both 0 so far.
MSB_DIGIT="266 $((2 * 48 + 2)) 6 12"
LSB_DIGIT="290 $((2 * 48 + 2)) 6 12"
check "bank MSB and LSB of channel 3 look alike before" \
  "$(crop_signature $MSB_DIGIT)" "$(crop_signature $LSB_DIGIT)"
line=$(($(midi_line_count) + 1))
tap q
settle
shoot
check_pixel "the box is white over the gray row" $((252 + 20)) $((2 * 48 + 2 + 6)) $WHITE
check_pixel "its digit is selected" 254 $((2 * 48 + 3)) 0,120,215
tap 5 Return
settle
shoot
check "Enter sends the instrument of channel 3" "$(midi_calls_from $line | tr '\n' '|')" \
  "short b2 00 05|short b2 20 00|short c2 00 00|"
check_pixel "the box is gone" $((252 + 20)) $((2 * 48 + 2 + 6)) $GRAY
if [[ "$(crop_signature $MSB_DIGIT)" != "$(crop_signature $LSB_DIGIT)" ]]; then
  check "the header shows the new bank MSB" changed changed
else
  check "the header shows the new bank MSB" unchanged changed
fi

echo "# a click on row 5 chooses channel 6"
line=$(($(midi_line_count) + 1))
click_at 100 $((5 * 48 + 20))
settle
shoot
check_pixel "row 5 is gray" 470 $((5 * 48 + 1)) $GRAY
check_pixel "row 2 is white again" 470 $((2 * 48 + 1)) $WHITE
check "a click without an edit sends nothing" "$(midi_calls_from $line | tr '\n' '|')" ""

echo "# F6 cycles the two skin files and the built-in skin"
for step in "red $RED" "green $GREEN" "built-in $WHITE" "red-again $RED"; do
  read -r name colour <<<"$step"
  tap F6
  settle 0.3
  shoot
  check_pixel "F6: the $name skin on key 48" 8 42 "$colour"
done
stop_plinkaro

echo "# a broken skin file"
SECOND="$E2E_WORK/broken-skin"
program_in "$SECOND"
head -c 100 "$FIRST/a-red.bmp" >"$SECOND/broken.bmp"
PLINKARO_TRACE=user32 start_plinkaro "$SECOND/plinkaro"
echo "# type-ahead on a fresh start: keys 1 ms apart reach the window with the focus by then"
line=$(($(midi_line_count) + 1))
xdotool key --delay 1 3 F4 q 5 Return
settle 0.5
check "the 5 typed behind Q is the new bank MSB" \
  "$(midi_calls_from $line | grep '^short b2 00' || true)" "short b2 00 05"
tap F6
check_message_box "Bitmap Load Error"
settle
line=$(($(midi_line_count) + 1))
keydown z
keyup z
settle
check "the program goes on playing (on channel 3)" "$(midi_calls_from $line | tr '\n' '|')" \
  "short 92 3c 7f|short 82 3c 7f|"
tap F6
settle 0.3
shoot
check_pixel "the next F6 brings the built-in skin back" 8 42 $WHITE
stop_plinkaro
finish
