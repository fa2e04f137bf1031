#!/usr/bin/env bash
# The right-click menu in the real program: it opens by a right click and by Shift+F10 while
# a song plays on, a Shift released while it is open leaves no sustain, F7 records only once
# its option is chosen, the skin and the recent songs chosen come back after a restart,
# About shows the problems reported, and a stand-in desktop portal opens a song and a folder.
# Usage: context_menu_e2e.sh PLINKARO_EXECUTABLE SONG_E2E_TOOL X_INPUT
set -euo pipefail
source "$(dirname "$0")/lib.sh"
PLINKARO=$1
"$2" write "$E2E_WORK"
mkdir -p "$XDG_DATA_HOME/plinkaro/skins"
convert -size 48x128 xc:'rgb(255,0,0)' -type TrueColor BMP3:"$XDG_DATA_HOME/plinkaro/skins/red.bmp"
SETTINGS=$XDG_CONFIG_HOME/Plinkaro/plinkaro.ini
RED=255,0,0
start_x

menu_shown() { [[ -n "$(other_windows)" ]]; }
menu_gone() { [[ -z "$(other_windows)" ]]; }
title() { xdotool getwindowname "$WINDOW"; }
# menu KEYS...: Shift+F10, then KEYS (mnemonics, arrows, Return) once the menu is there.
menu() {
  xdotool key shift+F10
  within 5 menu_shown || true
  xdotool key "$@"
  within 5 menu_gone || true
  settle 0.3
}

echo "# the menu opens while the song plays on"
start_plinkaro "$PLINKARO" "$E2E_WORK/song.mid"
xdotool key F5
settle 0.5
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
xdotool mousemove $((X + 200)) $((Y + 300)) click 3
check "a right click opens it" "$(within 5 menu_shown && echo open)" open
before=$(midi_line_count)
sleep 0.5
check "the song plays on meanwhile" "$(($(midi_line_count) > before))" 1
xdotool key Escape
check "Escape closes it" "$(within 5 menu_gone && echo closed)" closed
xdotool key F5

echo "# Shift+F10, Shift released while it is open: no sustain afterwards"
xdotool keydown shift key F10
within 5 menu_shown || true
xdotool keyup shift
xdotool key Escape
within 5 menu_gone || true
settle
line=$(($(midi_line_count) + 1))
xdotool key z
settle
check "Z's release is sent at once" "$(midi_calls_from $line)" "short 90 3c 7f|short 80 3c 7f|"
check "no settings file without a choice" "$(ls "$SETTINGS" 2>/dev/null || true)" ""

echo "# F7 records only once its option is on"
xdotool key F7
settle
check "F7 does nothing by default" "$(title)" "Plinkaro"
menu e Return  # Keys > F7 starts and stops recording
check "the choice is written" "$(grep -x 'F7StartsRecording=1' "$SETTINGS")" F7StartsRecording=1
xdotool key F7
settle
check "then F7 records" "$(title)" "Plinkaro - Recording"
xdotool key F7

echo "# a skin chosen, and the recent song, after a restart"
menu k Down Return  # Skin > red.bmp
shoot
check_pixel "the chosen skin is shown" 8 42 $RED
close_plinkaro "$3"
start_plinkaro "$PLINKARO"
shoot
check_pixel "it is the skin after a restart" 8 42 $RED
line=$(($(midi_line_count) + 1))
menu s n Return  # Song > Recent songs > the song
xdotool key F5
sleep 1
notes=$(midi_calls_from $line | tr '|' '\n' | grep -c '^short 9' || true)
check "the recent song opens and plays" "$((notes > 0))" 1
close_plinkaro "$3"

echo "# About shows what went to stderr"
PLINKARO_TRACE=user32 PLINKARO_MIDI_IN_CHANNEL=sideways start_plinkaro "$PLINKARO"
xdotool key shift+F10
within 5 menu_shown || true
xdotool key a
about() { grep -o 'message box caption "Plinkaro" text "Plinkaro 0[^"]*' "$E2E_WORK/plinkaro.out"; }
within 5 about >/dev/null || true
check "it names the settings file and the problem" \
  "$(about | grep -o "Settings file: $SETTINGS.*Problems reported since start:\\\\nplinkaro: PLINKARO_MIDI_IN_CHANNEL is neither" | wc -l)" 1
xdotool key Return
close_plinkaro "$3"

echo "# through a stand-in desktop portal: a song opened plays, the record folder is shown"
PORTAL=$(cd "$(dirname "$0")/../../platform/portal/testing" && pwd)
dbus-daemon --config-file="$PORTAL/private_bus.conf" --nofork --print-address=3 3>"$E2E_WORK/bus" &
E2E_PIDS+=($!)
within 5 test -s "$E2E_WORK/bus"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_WORK/bus")
export DBUS_SESSION_BUS_ADDRESS
/usr/bin/python3 "$PORTAL/stand_in_portal.py" "$E2E_WORK/portal.log" \
  "[{\"uri\": \"file://$E2E_WORK/song.mid\"}]" &
E2E_PIDS+=($!)
portal_up() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.portal.Desktop 2>/dev/null |
    grep -q true
}
within 10 portal_up || echo "the stand-in portal did not start" >&2
start_plinkaro "$PLINKARO"
line=$(($(midi_line_count) + 1))
menu s Return  # Song > Open...
xdotool key F5
sleep 1
notes=$(midi_calls_from $line | tr '|' '\n' | grep -c '^short 9' || true)
check "the song chosen in the portal's dialog plays" "$((notes > 0))" 1
menu f o  # Record folder > Open folder
shown() { grep -q '"OpenURI.OpenDirectory"' "$E2E_WORK/portal.log"; }
within 5 shown || true
check "Open folder shows the Music folder's Plinkaro, made for it" \
  "$(grep -o "\"path\": \"$E2E_WORK/music/Plinkaro\"" "$E2E_WORK/portal.log" | wc -l)" 1
close_plinkaro "$3"
finish
