#!/usr/bin/env bash
# The real program in a real X window: without a display it says so and ends; keys typed
# 1 ms apart on a fresh start reach the value editor Q opens; F6 finds the skin files next
# to the executable; a broken one is reported by a message box while the program goes on.
# Usage: editor_skin_e2e.sh PLINKARO_EXECUTABLE X_INPUT_TOOL
set -euo pipefail
source "$(dirname "$0")/lib.sh"

echo "# no display"
status=0
said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$1" 2>&1) || status=$?
check "one line says why" "$said" \
  "plinkaro: cannot open a window: no display; set DISPLAY or WAYLAND_DISPLAY"
check "and the program ends with 1" "$status" 1

start_x
# A copy of the program in its own folder, so that the .bmp files beside it are its skins.
mkdir "$E2E_WORK/app"
cp "$1" "$E2E_WORK/app/plinkaro"
convert -size 48x128 xc:'rgb(255,0,0)' -type TrueColor BMP3:"$E2E_WORK/app/a-red.bmp"
head -c 100 "$E2E_WORK/app/a-red.bmp" >"$E2E_WORK/app/b-broken.bmp"
PLINKARO_TRACE=user32 start_plinkaro "$E2E_WORK/app/plinkaro"

echo "# type-ahead: channel 3, F4, Q, 5, Enter"
line=$(($(midi_line_count) + 1))
xdotool key --delay 1 3 F4 q 5 Return
eventually "the 5 typed behind Q is the new bank MSB" \
  "short b2 00 05|short b2 20 00|short c2 00 00|" midi_calls_from $line

echo "# F6: the skin file, then the broken one"
xdotool key F6
eventually_pixel "the red skin on key 48" 8 42 255,0,0
xdotool key F6
check_message_box "Bitmap Load Error"
line=$(($(midi_line_count) + 1))
xdotool key z
eventually "the program goes on playing (on channel 3)" "short 92 3c 7f|short 82 3c 7f|" \
  midi_calls_from $line
close_plinkaro "$2"
finish
