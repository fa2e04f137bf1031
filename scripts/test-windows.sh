#!/usr/bin/env bash
# The Windows build, run: installs Wine when missing, cross-builds the release plinkaro.exe
# for 32-bit and for 64-bit Windows with their setup programs and zips, checks that each
# program imports only system DLLs; then, with one of the two builds (the 64-bit one unless
# PLINKARO_WINDOWS_ARCH=i686, which needs a kernel that runs 32-bit programs and installs
# Debian's wine32 with the i386 architecture),
# compares what each probe prints under Wine with what it prints on this platform (the
# profile probe over Wine's kernel32, the probes of probes/ over its user32), and runs
# the program under Wine in a private X server (built-in fonts only) with a fresh Wine
# prefix and no window manager:
# the first paint, a key held through XTest, the value editor over the header's first
# number, a skin file with F6, a song named on the command line with F5, a take saved at
# the end of the session, a broken song's message box, and exit code 0 after
# WM_DELETE_WINDOW; then the menu probe under Wine's user32 and under ours, walked the same
# way, printing the same messages in the same order. Then the setup program and the
# portable zip: a silent install (Start menu entry, Apps & features entry, "Open with" keys),
# the installed program with a song, a silent uninstall that leaves only what the user
# added, and the program run from the unzipped portable folder, which keeps its settings.
# Usage: bash scripts/test-windows.sh [LOCALE]   Wine's language (default C.UTF-8, which
# Wine runs in US English), e.g. ja_JP.UTF-8; a missing locale is generated.
set -euo pipefail
cd "$(dirname "$0")/.."
WINE_LOCALE=${1:-C.UTF-8}
case ${PLINKARO_WINDOWS_ARCH:-x86_64} in
  x86_64) RUN_BUILD=mingw64 WINE_PACKAGES=(wine wine64) WINE_LOADER=/usr/lib/wine/wine64 ;;
  i686) RUN_BUILD=mingw WINE_PACKAGES=(wine wine32:i386) WINE_LOADER=/usr/lib/wine/wine ;;
  *)
    echo "PLINKARO_WINDOWS_ARCH is x86_64 or i686" >&2
    exit 2
    ;;
esac

as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "Run as root to install what the Windows check needs" >&2
    exit 1
  fi
}
installed() { [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" == "install ok installed" ]]; }

install_wine() {
  local missing=() package
  for package in "${WINE_PACKAGES[@]}"; do installed "$package" || missing+=("$package"); done
  ((${#missing[@]} == 0)) && return 0
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

install_locale() {
  local wanted
  wanted=$(tr -d '-' <<<"${1,,}")
  [[ $wanted == c || $wanted == c.* ]] && return 0
  locale -a | tr -d '-' | tr '[:upper:]' '[:lower:]' | grep -qx "$wanted" && return 0
  installed locales || as_root apt-get install -y -qq --no-install-recommends locales
  as_root localedef -i "${1%%.*}" -f "${1#*.}" "$1"
}

bash scripts/install-deps.sh
install_wine
install_locale "$WINE_LOCALE"

echo "== the host's tools, the shipped skins, the cross-build (release) and its packages"
cmake --preset debug >/dev/null
cmake --build --preset debug -j"$(nproc)" --target x_input song_e2e_tool make_skin probes
SKINS=$PWD/build/shipped-skins
rm -rf "$SKINS" && mkdir -p "$SKINS"
build/debug/tools/make_skin --shipped "$SKINS"
source tests/e2e/lib.sh

resource_string() { strings -n 3 -el "$1" | grep -A1 -x "$2" | sed -n 2p; }
VERSION=$(sed -n 's/^project(plinkaro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for build in mingw mingw64; do
  cmake --preset $build -DPLINKARO_SKINS_DIR="$SKINS" >/dev/null
  cmake --build --preset $build -j"$(nproc)"
  rm -f build/$build/plinkaro-*-win*.{exe,zip}
  (cd build/$build && cpack -G "NSIS;ZIP" >/dev/null)
  EXE=$PWD/build/$build/app/plinkaro.exe
  echo "# $(objdump -f "$EXE" | sed -n 's/.*file format //p'):" \
    "setup program $(stat -c %s build/$build/plinkaro-*-win??.exe) bytes," \
    "portable zip $(stat -c %s build/$build/plinkaro-*-portable.zip) bytes"
  check "the version resource names the product and project()'s version" \
    "$(resource_string "$EXE" ProductName) $(resource_string "$EXE" ProductVersion)" \
    "Plinkaro $VERSION"
  check "the manifest names Windows 7 to 11 and no DPI awareness" \
    "$(strings "$EXE" | grep -c '<supportedOS Id=') $(strings "$EXE" | grep -ci dpiAware)" "4 0"
  imports=$(objdump -p "$EXE" | awk '/DLL Name:/ {print toupper($3)}' | sort | xargs)
  check "only system DLLs are imported" "$imports" \
    "COMDLG32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL SHELL32.DLL USER32.DLL WINMM.DLL"
done

echo "# the $RUN_BUILD build runs under Wine from here on"
SETUP=$(ls "$PWD"/build/$RUN_BUILD/plinkaro-*-win??.exe)
PORTABLE_ZIP=$(ls "$PWD"/build/$RUN_BUILD/plinkaro-*-portable.zip)
EXE=$PWD/build/$RUN_BUILD/app/plinkaro.exe
PROBE_EXE=$PWD/build/$RUN_BUILD/probes/profile_probe.exe
PROBE=$PWD/build/debug/probes/profile_probe
X_INPUT=$PWD/build/debug/tests/e2e/x_input
SONG_TOOL=$PWD/build/debug/tests/e2e/song_e2e_tool

# `wine` is the loader of the build's width; Debian's own `wine` prefers the 32-bit one.
mkdir -p "$E2E_WORK/bin"
printf '#!/bin/sh\nWINELOADER=%s exec %s "$@"\n' "$WINE_LOADER" "$WINE_LOADER" >"$E2E_WORK/bin/wine"
chmod +x "$E2E_WORK/bin/wine"
export PATH="$E2E_WORK/bin:$PATH"

# No Mono or Gecko installer and no menu entries in the fresh prefix; +msgbox traces the
# text of every message box.
export WINEPREFIX="$E2E_WORK/wine" WINEDEBUG=-all,+msgbox
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LANG=$WINE_LOCALE
unset LC_ALL LC_CTYPE LC_MESSAGES
WINESERVER_PID=""
WINESERVER_DIR=""

# The prefix's server, kept running between the program's starts; ready once its socket
# exists in the directory it works in.
start_wineserver() {
  mkdir -p "$WINEPREFIX"
  wineserver -f -p &
  WINESERVER_PID=$!
  for _ in $(seq 100); do
    if [[ -S /proc/$WINESERVER_PID/cwd/socket ]]; then
      WINESERVER_DIR=$(readlink "/proc/$WINESERVER_PID/cwd")
      return 0
    fi
    sleep 0.05
  done
  echo "the Wine server did not start" >&2
  return 1
}

# Ends the prefix's processes, then its server, then checks that none is left.
stop_wine() {
  [[ -n "$WINESERVER_PID" ]] || return 0
  wineserver -k 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 "$WINESERVER_PID" 2>/dev/null || break
    sleep 0.05
  done
  kill "$WINESERVER_PID" 2>/dev/null || true
  wait "$WINESERVER_PID" 2>/dev/null || true
  local left="" environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ//[^0-9]/}
    [[ $(readlink "/proc/$pid/exe" 2>/dev/null) == */wine/* ]] || continue
    grep -qszx "WINEPREFIX=$WINEPREFIX" "$environ" && left+=" $pid"
  done
  if [[ -n "$left" ]]; then
    echo "FAIL Wine processes outlived the prefix: $left"
    kill -KILL $left 2>/dev/null || true
    E2E_FAILURES=$((E2E_FAILURES + 1))
  fi
  [[ -n "$WINESERVER_DIR" ]] && rm -rf "$WINESERVER_DIR" && rmdir "$(dirname "$WINESERVER_DIR")" 2>/dev/null || true
  WINESERVER_PID=""
}
trap 'stop_wine || true; e2e_cleanup' EXIT

start_x
started=$SECONDS
start_wineserver
wine wineboot --init >"$E2E_WORK/wineboot.log" 2>&1
echo "a fresh Wine prefix took $((SECONDS - started)) s"

echo "# the profile functions: one probe over Wine's kernel32 and over the platform"
windows_path() { echo "Z:${1//\//\\}"; }
mkdir -p "$E2E_WORK/probe-wine" "$E2E_WORK/probe-native" "$E2E_WORK/probe-config"
wine "$PROBE_EXE" "$(windows_path "$E2E_WORK/probe-wine")" 2>/dev/null | tr -d '\r' \
  >"$E2E_WORK/probe-wine.txt"
XDG_CONFIG_HOME=$E2E_WORK/probe-config "$PROBE" "$E2E_WORK/probe-native" \
  >"$E2E_WORK/probe-native.txt"
# Lines marked "~" are where Wine's answers are known to differ from Windows' documented
# ones; they are shown, not compared.
check "the probe observes the same under Wine" \
  "$(diff <(grep -v '^~' "$E2E_WORK/probe-wine.txt") <(grep -v '^~' "$E2E_WORK/probe-native.txt"))" ""
check "and ran to its end there" "$(grep -c '^CreateDirectoryA' "$E2E_WORK/probe-wine.txt")" 4
diff <(grep '^~' "$E2E_WORK/probe-wine.txt") <(grep '^~' "$E2E_WORK/probe-native.txt") |
  sed 's/^/  known Wine difference: /' || true
check "a bare file name is a file of the configuration folder" \
  "$(ls "$E2E_WORK/probe-config")" "plinkaro-probe.ini"

# Each probe prints what it observes of Win32; ours (on SDL's headless driver) must print
# what the same program prints on Wine's own user32.
echo "# probes: this platform against Wine's DLLs"
for name in $(cat build/debug/probes/plain_probes.txt); do
  native=$PWD/build/debug/probes/$name
  SDL_VIDEODRIVER=dummy "$native" >"$E2E_WORK/$name.ours" 2>"$E2E_WORK/$name.ours.err" ||
    echo "exit code $?" >>"$E2E_WORK/$name.ours"
  { wine "$PWD/build/$RUN_BUILD/probes/$name.exe" 2>"$E2E_WORK/$name.wine.err" ||
    echo "exit code $?"; } | tr -d '\r' >"$E2E_WORK/$name.wine"
  check "$name prints on this platform what it prints on Wine" \
    "$(diff -u "$E2E_WORK/$name.wine" "$E2E_WORK/$name.ours" || true)" ""
done

tap() { xdotool key "$@"; }  # through XTest, to the window with the focus
program_in() {  # a copy of the program in its own folder, next to its skins
  mkdir -p "$1"
  cp "$EXE" "$1/plinkaro.exe"
}
lavender_pixels() {
  convert "$E2E_WORK/shot.png" -fill black +opaque 'rgb(192,192,255)' -fill white \
    -opaque 'rgb(192,192,255)' -format '%[fx:round(mean*w*h)]' info:
}
stop_plinkaro() {
  "$X_INPUT" close "$WINDOW"
  local state=running
  for _ in $(seq 200); do
    kill -0 "$PLINKARO_PID" 2>/dev/null || break
    sleep 0.05
  done
  if ! kill -0 "$PLINKARO_PID" 2>/dev/null; then
    wait "$PLINKARO_PID" && state="exit code 0" || state="exit code $?"
  fi
  check "WM_DELETE_WINDOW ends the program" "$state" "exit code 0"
}

WHITE=255,255,255
GRAY=128,128,128
ROW0_TEXT=2  # the header line's top
cell() { crop_signature "$1" $ROW0_TEXT 6 12; }

echo "# the first paint, a key held, the value editor and a skin file ($WINE_LOCALE)"
program_in "$E2E_WORK/app"
convert -size 48x128 xc:'rgb(255,0,0)' -type TrueColor BMP3:"$E2E_WORK/app/red.bmp"
start_plinkaro wine "$E2E_WORK/app/plinkaro.exe"
shoot
check_pixel "row 0's header is gray" 470 1 $GRAY
check_pixel "key 48 is at x 0" 8 42 $WHITE
# "Instrument =   0   0   0": each number's last digit in the 6-pixel column at x 266,
# 290 and 314, after a space at x 260, 284 and 308.
ZERO=$(cell 314)
BLANK=$(cell 400)
[[ $ZERO == "$BLANK" ]] && ZERO="a digit"  # nothing drawn where the last one belongs
check "the numbers' last digits keep their columns" "$(cell 266) $(cell 290) $(cell 314)" \
  "$ZERO $ZERO $ZERO"
check "and the spaces before them" "$(cell 260) $(cell 284) $(cell 308)" "$BLANK $BLANK $BLANK"
keydown z
settle 0.3
shoot
check_pixel "key 60 is lit while Z is held" 120 42 192,192,255
keyup z
tap q
settle 0.3
shoot
check_pixel "Q opens the box at x 252" 272 8 $WHITE
check "the box hides the first number only" \
  "$([[ $(cell 266) != "$ZERO" ]] && echo hidden) $(cell 290) $(cell 314)" "hidden $ZERO $ZERO"
tap 5 Return
settle 0.3
shoot
check_pixel "Return closes the box" 272 8 $GRAY
check "the first number now ends in 5" \
  "$([[ $(cell 266) != "$ZERO" && $(cell 266) != "$BLANK" ]] && echo 5) $(cell 290)" "5 $ZERO"
tap F6
settle 0.3
shoot
check_pixel "F6 brings the skin file's colour" 8 42 255,0,0
stop_plinkaro

echo "# a song named on the command line, recorded with F7"
mkdir -p "$E2E_WORK/songs" "$E2E_WORK/takes"
"$SONG_TOOL" write "$E2E_WORK/songs"
PLINKARO_RECORD_DIR=$(windows_path "$E2E_WORK/takes") \
  start_plinkaro wine "$E2E_WORK/app/plinkaro.exe" "$(windows_path "$E2E_WORK/songs/song.mid")"
shoot
check "no key is lit before F5" "$(lavender_pixels)" 0
tap F7
settle 0.3
check "F7 does nothing by default" "$(xdotool getwindowname "$WINDOW")" "Plinkaro"
# The menu from the keyboard: Keys > F7 starts and stops recording.
tap shift+F10
menu_shown() { [[ -n "$(other_windows)" ]]; }
check "Shift+F10 opens the menu" "$(within 5 menu_shown && echo open)" open
tap e Return
within 5 eval '[[ -z "$(other_windows)" ]]' || true
check "the choice is remembered in the settings file" \
  "$(find "$WINEPREFIX/drive_c/users" -ipath '*/Plinkaro/plinkaro.ini' -exec grep -c F7StartsRecording=1 {} +)" 1
tap F7
settle 0.3
check "then F7 records" "$(xdotool getwindowname "$WINDOW")" "Plinkaro - Recording"
tap F5
lit=0
for _ in $(seq 15); do
  settle 0.2
  shoot
  lit=$(lavender_pixels)
  ((lit > 0)) && break
done
check "F5 plays it and lights keys" "$((lit > 0))" 1
tap F7
saved_title() { [[ $(xdotool getwindowname "$WINDOW") == "Plinkaro - Saved "* ]]; }
within 10 saved_title || true  # a loaded machine may take a while to write it
take=$(ls "$E2E_WORK/takes")
check "F7 again saves the take" "$(grep -cE '^plinkaro-[0-9]{8}-[0-9]{6}\.mid$' <<<"$take")" 1
check "the title names it" "$(xdotool getwindowname "$WINDOW")" "Plinkaro - Saved $take"
notes=$(/usr/bin/python3 -c 'import sys, mido
print(sum(m.type == "note_on" for m in mido.MidiFile(sys.argv[1]).tracks[0]))' "$E2E_WORK/takes/$take")
check "it holds the song's first notes" "$((notes > 0))" 1
xdotool mousemove --window "$WINDOW" 200 300 click 3
check "a right click opens the menu" "$(within 5 menu_shown && echo open)" open
tap a  # About Plinkaro
within 5 grep -q 'MSGBOX_OnInit L"Plinkaro 0' "$E2E_WORK/plinkaro.out" || true
check "About names the settings file" \
  "$(grep -o 'MSGBOX_OnInit L"Plinkaro 0[^"]*Settings file: [^"]*plinkaro.ini' "$E2E_WORK/plinkaro.out" | wc -l)" 1
tap Return
within 5 eval '[[ -z "$(other_windows)" ]]' || true
stop_plinkaro

echo "# tempo, an instrument by name, mute and the input mode, chosen in the menu"
# What the program sends is kept in a take, since Wine's MIDI output cannot be listened to.
mkdir -p "$E2E_WORK/menu-takes"
PLINKARO_RECORD_DIR=$(windows_path "$E2E_WORK/menu-takes") \
  start_plinkaro wine "$E2E_WORK/app/plinkaro.exe" "$(windows_path "$E2E_WORK/songs/song.mid")"
# menu_at ROW KEYS...: a right click on that channel's row, then KEYS once the menu is there.
menu_at() {
  local row=$1
  shift
  xdotool mousemove --window "$WINDOW" 200 $((row * 48 + 30)) click 3
  within 5 menu_shown || true
  tap "$@"
  within 5 eval '[[ -z "$(other_windows)" ]]' || true
  settle 0.3
}
tap F7  # the option chosen above
within 5 found_window '^Plinkaro - Recording$' || true
menu_at 2 i Right Down Down Return  # Instrument > Piano > Electric Grand Piano
menu_at 0 m                         # Mute channel 1
menu_at 0 s m Return                # Song > Tempo > 50 %
menu_at 0 n End Return              # MIDI input > Play on the current channel
tap F5
sleep 8  # twice the song's 3.3 s, and room
tap F7
within 10 saved_title || true
take=$(find "$E2E_WORK/menu-takes" -name 'plinkaro-*.mid')
# One line a check: channel 3's bank and program; channel 1's program and note-ons; the
# span of channel 10's note-ons against the song's own, in tenths.
sent=$(/usr/bin/python3 - "${take:-none}" "$E2E_WORK/songs/song.mid" <<'PYTHON'
import sys, mido
def played(path):
    now, messages = 0.0, []
    for message in mido.MidiFile(path):
        now += message.time
        if not message.is_meta and message.type != "sysex":
            messages.append((now, message))
    return messages
def drum_span(messages):
    times = [t for t, m in messages if m.type == "note_on" and m.channel == 9 and m.velocity]
    return times[-1] - times[0]
take, song = played(sys.argv[1]), played(sys.argv[2])
# The take opens with every channel's instrument at time 0; the menu's choices come later.
later = [m for t, m in take if t > 0]
print(" ".join(m.hex() for m in later if m.channel == 2))
print(" ".join(m.hex() for m in later if m.channel == 0 and m.type in ("program_change", "note_on")))
print(round(10 * drum_span(take) / drum_span(song)))
PYTHON
) || true
check "an instrument by name sends bank 0/0 and the program" "$(sed -n 1p <<<"$sent")" \
  "B2 00 00 B2 20 00 C2 02"
check "a muted channel's program goes out, its notes do not" "$(sed -n 2p <<<"$sent")" "C0 05"
check "tempo 50 % doubles the song's times" "$(sed -n 3p <<<"$sent")" 20
SETTINGS=$(find "$WINEPREFIX/drive_c/users" -ipath '*/Plinkaro/plinkaro.ini')
check "the input mode is remembered" "$(grep -c '^MidiInputChannel=current' "$SETTINGS")" 1
stop_plinkaro

echo "# a remembered output that is not there, then the default chosen in the menu"
sed -i '/^\[Plinkaro\]/a MidiOutput=No Such Synth' "$SETTINGS"
# The variables that decide over the settings at start are left out here.
start_plinkaro env -u PLINKARO_MIDI_OUT -u PLINKARO_MIDI_IN wine "$E2E_WORK/app/plinkaro.exe"
check "the start falls back with one line" \
  "$(grep -c 'plinkaro: the MIDI output No Such Synth is not there; using the default' "$E2E_WORK/plinkaro.out")" 1
menu_at 0 t Home Return  # MIDI output > Default (MIDI Mapper)
check "choosing the default forgets the missing one" "$(grep -c '^MidiOutput=' "$SETTINGS")" 0
check "and keeps the input mode" "$(grep -c '^MidiInputChannel=current' "$SETTINGS")" 1
stop_plinkaro

echo "# the end of the session saves a running take"
rm -f "$E2E_WORK/takes"/*
PLINKARO_RECORD_DIR=$(windows_path "$E2E_WORK/takes") start_plinkaro wine "$E2E_WORK/app/plinkaro.exe"
tap F7
within 5 found_window '^Plinkaro - Recording$' || true
tap z x
live_part() { [[ -n $(find "$E2E_WORK/takes" -name '*.part') ]]; }
check "the running take has its .part file" "$(within 5 live_part && echo yes)" yes
wine wineboot --end-session >>"$E2E_WORK/wineboot.log" 2>&1 || true
saved_take() { [[ -n $(find "$E2E_WORK/takes" -name 'plinkaro-*.mid') ]]; }
within 10 saved_take || true
take=$(find "$E2E_WORK/takes" -name 'plinkaro-*.mid' -printf '%f\n')
check "wineboot --end-session saves it" "$(grep -cE '^plinkaro-[0-9]{8}-[0-9]{6}\.mid$' <<<"$take")" 1
[[ -n "$take" ]] && notes=$(/usr/bin/python3 -c 'import sys, mido
print(" ".join("%02x" % m.note for m in mido.MidiFile(sys.argv[1]).tracks[0] if m.type == "note_on"))' \
  "$E2E_WORK/takes/$take")
check "with the keys played" "${notes:-}" "3c 3e"
if kill -0 "$PLINKARO_PID" 2>/dev/null; then stop_plinkaro; fi

echo "# a take whose folder cannot be written goes to the temporary folder"
PLINKARO_RECORD_DIR=$(windows_path "$E2E_WORK/songs/song.mid/takes") \
  start_plinkaro wine "$E2E_WORK/app/plinkaro.exe"
tap F7 z F7
for _ in $(seq 100); do
  [[ -n "$(other_windows)" ]] && break
  sleep 0.05
done
check "a message box says why and where the take went" \
  "$(grep -o 'MSGBOX_OnInit L"Recording Save Error.*The take was saved as' "$E2E_WORK/plinkaro.out" |
    grep -c 'song.mid\\\\takes')" 1
check "and it is there" "$(find "$WINEPREFIX/drive_c" -name 'plinkaro-*.mid' | wc -l)" 1
tap Return
stop_plinkaro

echo "# a broken song"
start_plinkaro wine "$E2E_WORK/app/plinkaro.exe" "$(windows_path "$E2E_WORK/songs/broken.mid")"
BOX=""
for _ in $(seq 100); do
  BOX=$(other_windows | head -n 1)
  [[ -n "$BOX" ]] && break
  sleep 0.05
done
check "a message box says \"SMF Load Error\"" \
  "$([[ -n "$BOX" ]] && grep -c 'MSGBOX_OnInit L"SMF Load Error"' "$E2E_WORK/plinkaro.out")" 1
if [[ -n "$BOX" ]]; then
  xdotool windowfocus --sync "$BOX" 2>/dev/null || true
  tap Return
  for _ in $(seq 100); do
    [[ -z "$(other_windows)" ]] && break
    sleep 0.05
  done
fi
check "Return closes it" "$(other_windows)" ""
stop_plinkaro

echo "# popup menus: the probe under Wine's user32 and under ours"
source tests/e2e/menu_walk.sh
walk_menu_probe wine "$PWD/build/$RUN_BUILD/probes/menu_probe.exe"
WINE_PRINTED=$MENU_PROBE_PRINTED
check "Wine's user32 prints the expected messages" "$WINE_PRINTED" "$MENU_PROBE_EXPECTED"
walk_menu_probe "$PWD/build/debug/probes/menu_probe"
check "ours prints what Wine's does" "$MENU_PROBE_PRINTED" "$WINE_PRINTED"

echo "# the setup program, installed silently"
wine "$SETUP" /S >"$E2E_WORK/setup.log" 2>&1
INSTALLED="$WINEPREFIX/drive_c/Program Files/Plinkaro"
INSTALLED_FILES="README.txt Uninstall.exe dark.bmp high-contrast.bmp plinkaro.exe"
check "it installs into Program Files" "$(ls "$INSTALLED" 2>/dev/null | xargs)" "$INSTALLED_FILES"
SHORTCUT="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Plinkaro/Plinkaro.lnk"
check "the Start menu entry starts in the user's Music folder" \
  "$(strings -el "$SHORTCUT" 2>/dev/null | grep -cx '%USERPROFILE%\\Music')" 1
reg_value() {  # KEY NAME: the value's data as reg shows it, or nothing
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name {print $3}'
}
reg_has() { wine reg query "$1" /v "$2" >/dev/null 2>&1 && echo yes || echo no; }
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Plinkaro'
check "Apps & features shows its version and icon" \
  "$(reg_value "$UNINSTALL_KEY" DisplayVersion) $(wine reg query "$UNINSTALL_KEY" /v DisplayIcon 2>/dev/null | grep -c 'plinkaro.exe')" \
  "$(sed -n 's/^project(plinkaro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt) 1"
size=$(reg_value "$UNINSTALL_KEY" EstimatedSize)
check "and its size in KiB" "$((${size:-0} > 100 && ${size:-0} < 10000))" 1
openwith=""
for extension in .mid .midi .kar; do
  openwith+="$(reg_has "HKLM\\Software\\Classes\\$extension\\OpenWithProgids" Plinkaro.MidiFile)"
  openwith+="$(reg_has 'HKLM\Software\Classes\Applications\plinkaro.exe\SupportedTypes' $extension) "
done
check "\"Open with\" offers it for .mid, .midi and .kar" "$openwith" "yesyes yesyes yesyes "
check "without taking over the default player" \
  "$(wine reg query 'HKLM\Software\Classes\.mid' /ve 2>/dev/null | grep -c Plinkaro)" 0

echo "# the installed program with a song"
start_plinkaro wine 'C:\Program Files\Plinkaro\plinkaro.exe' "$(windows_path "$E2E_WORK/songs/song.mid")"
tap F5
lit=0
for _ in $(seq 15); do
  settle 0.2
  shoot
  lit=$(lavender_pixels)
  ((lit > 0)) && break
done
check "F5 plays the song and lights keys" "$((lit > 0))" 1
stop_plinkaro

echo "# a silent uninstall"
APPDATA_DIR="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Plinkaro"
# The settings the runs above wrote, kept as they are.
settings_before=$(cat "$APPDATA_DIR/plinkaro.ini")
echo "mine" >"$INSTALLED/my-skin.bmp"
wine "$INSTALLED/Uninstall.exe" /S >"$E2E_WORK/uninstall.log" 2>&1
# The uninstaller copies itself away and returns at once; the copy removes the files.
for _ in $(seq 200); do
  [[ -e "$INSTALLED/Uninstall.exe" || -e "$INSTALLED/plinkaro.exe" ]] || break
  sleep 0.1
done
check "it removes what it installed and keeps what the user added" \
  "$(ls "$INSTALLED" 2>/dev/null | xargs)" "my-skin.bmp"
check "and the user's settings" "$(cat "$APPDATA_DIR/plinkaro.ini")" "$settings_before"
check "the Start menu entry is gone" "$([[ -e $SHORTCUT ]] && echo left || echo gone)" gone
check "and the Apps & features and \"Open with\" keys" \
  "$(reg_has "$UNINSTALL_KEY" DisplayVersion) $(reg_has 'HKLM\Software\Classes\.mid\OpenWithProgids' Plinkaro.MidiFile)" \
  "no no"

echo "# the portable folder"
mkdir -p "$E2E_WORK/stick"
unzip -q "$PORTABLE_ZIP" -d "$E2E_WORK/stick"
PORTABLE=$(ls -d "$E2E_WORK"/stick/plinkaro-*)
check "the zip holds the program, the skins, the README and an empty plinkaro.ini" \
  "$(ls "$PORTABLE" | xargs) $(stat -c %s "$PORTABLE/plinkaro.ini")" \
  "README.txt dark.bmp high-contrast.bmp plinkaro.exe plinkaro.ini 0"
start_plinkaro wine "$(windows_path "$PORTABLE/plinkaro.exe")"
shoot
check "its empty plinkaro.ini reads as fresh settings, not a spoilt file" \
  "$(grep -c 'cannot be read' "$E2E_WORK/plinkaro.out")" 0
check_pixel "key 48 is white in the built-in skin" 8 42 $WHITE
tap F6
settle 0.3
shoot
check "F6 reaches a shipped skin beside the program" \
  "$([[ $(pixel 8 42) != "$WHITE" ]] && echo changed)" changed
tap shift+F10
check "Shift+F10 opens the menu" "$(within 5 menu_shown && echo open)" open
tap e Return
within 5 eval '[[ -z "$(other_windows)" ]]' || true
check "a menu choice is kept in the plinkaro.ini beside it" \
  "$(grep -c F7StartsRecording=1 "$PORTABLE/plinkaro.ini")" 1
stop_plinkaro

stop_wine
echo "took $SECONDS s"
finish
