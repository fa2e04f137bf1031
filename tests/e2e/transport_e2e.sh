#!/usr/bin/env bash
# The song's speed, jumps and loop, and the channels' instruments, mute and solo, chosen in
# the right-click menu of the real program and heard in the MIDI log.
# Usage: transport_e2e.sh PLINKARO_EXECUTABLE SONG_E2E_TOOL X_INPUT
set -euo pipefail
source "$(dirname "$0")/lib.sh"
PLINKARO=$1
TOLERANCE_US=${E2E_SONG_TOLERANCE_US:-2000}
"$2" write "$E2E_WORK"
"$2" write-long "$E2E_WORK"
start_x

menu_shown() { [[ -n "$(other_windows)" ]]; }
menu_gone() { [[ -z "$(other_windows)" ]]; }
# menu_at ROW KEYS...: a right click on that channel's row, then KEYS once the menu is there.
menu_at() {
  local row=$1
  shift
  eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
  xdotool mousemove $((X + 200)) $((Y + row * 48 + 30)) click 3
  within 5 menu_shown || true
  xdotool key "$@"
  within 5 menu_gone || true
  settle 0.3
}
log_has() { midi_calls_from "$1" | tr '|' '\n' | grep -c "$2" || true; }

echo "# tempo 50 %: the song's times doubled"
start_plinkaro "$PLINKARO" "$E2E_WORK/song.mid"
menu_at 0 s m Return  # Song > Tempo > 50 %
awk '{ $1 = $1 * 2; print }' "$E2E_WORK/schedule.txt" >"$E2E_WORK/schedule50.txt"
# Lateness alone comes from a loaded machine: then the song is played again (F4).
for transport in F5 F4 F4; do
  line=$(($(midi_line_count) + 1))
  start_floor 8
  xdotool key $transport
  sleep 7.5  # twice the song's 3.3 s
  finish_floor  # plus how late the machine itself woke a thread meanwhile
  "$2" check "$E2E_WORK/schedule50.txt" "$MIDI_LOG" $line $((TOLERANCE_US + FLOOR_LATE_US)) &&
    status=0 || status=$?
  [[ $status != 3 ]] && break
done
check "every message once, in order, at twice its time" "$status" 0

echo "# loop: the start again after the end"
menu_at 0 s m Down Down Down Down Return  # 100 %
xdotool key F1
settle
menu_at 0 s l  # Song > Loop the song
line=$(($(midi_line_count) + 1))
xdotool key F5
sleep 5
check "the song's first message came twice" "$(log_has $line 'long f0 7e 7f 09 01 f7')" 2
xdotool key F1
close_plinkaro "$3"

echo "# forward 10 s: the state at 10 s, then the notes from there"
start_plinkaro "$PLINKARO" "$E2E_WORK/long.mid"
line=$(($(midi_line_count) + 1))
menu_at 0 s j f  # Song > Jump > Forward 10 s
check "the chased state" "$(midi_calls_from $line)" \
  "short b0 79 00|short c0 05 00|short b0 07 50|short e0 00 50|"
line=$(($(midi_line_count) + 1))
xdotool key F5
sleep 3.5
check "then the notes from 10 s" "$(midi_calls_from $line)" \
  "short 90 40 40|short 80 40 40|short 80 3c 40|short b0 07 7f|"
xdotool key F1
settle 0.5

echo "# an instrument by name"
line=$(($(midi_line_count) + 1))
menu_at 2 i Right Down Down Return  # Instrument > Piano > Electric Grand Piano
check "bank 0/0 and the program" "$(midi_calls_from $line)" "short b2 00 00|short b2 20 00|short c2 02 00|"
close_plinkaro "$3"

echo "# mute: the song's notes kept back but lit, a key still sounding"
start_plinkaro "$PLINKARO" "$E2E_WORK/song.mid"
menu_at 0 m  # Mute channel 1
line=$(($(midi_line_count) + 1))
xdotool key F5
lit() { shoot && [[ $(convert "$E2E_WORK/shot.png" -crop 480x32+0+16 txt:-) == *C0C0FF* ]]; }
check "a muted song note lights its strip" "$(within 4 lit && echo lit)" lit
check "the header band is tinted" "$(pixel 470 2)" "192,128,128"
sleep 3.5
check "no song note went out on it" "$(log_has $line '^short [89]0 ')" 0
check "its controllers did" "$(log_has $line '^short b0 07 ')" 3
check "the other channel played" "$(($(log_has $line '^short 99 ') > 0))" 1
line=$(($(midi_line_count) + 1))
xdotool keydown z
settle 0.3
shoot
check "a key sounds on the muted channel" "$(midi_calls_from $line)" "short 90 3c 7f|"
check_pixel "and lights its strip" $((112 + 8)) $((16 + 26)) 192,192,255
xdotool keyup z

echo "# solo: only the soloed channels sound"
menu_at 0 u  # Unmute all
menu_at 9 o  # Solo channel 10
line=$(($(midi_line_count) + 1))
xdotool key F4
sleep 3.5
check "channel 10 sounds" "$(($(log_has $line '^short 99 ') > 0))" 1
check "channel 1 does not" "$(log_has $line '^short 90 ')" 0
close_plinkaro "$3"
finish
