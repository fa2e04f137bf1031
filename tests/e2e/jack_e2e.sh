#!/usr/bin/env bash
# Plinkaro's MIDI ports on a private JACK server (the dummy driver: no sound card and no
# ALSA sequencer needed). A source that appears while Plinkaro runs is connected within
# 2 s ("all"), its notes light the strips and come out of Plinkaro's port once each,
# a source there before the start (opened through its own input and so left out of
# "all") plays once too, Plinkaro's own port is never connected to its input, and closing
# the window sends note-offs for what still sounds, then sustain off.
# Then the server is killed and started again under Plinkaro: its ports open again by
# themselves, a new source's note lights a strip and comes out of the port, a key reaches
# the port named by part of its name, and so does one after that port left and came back.
# Usage: jack_e2e.sh PLINKARO_EXECUTABLE JACK_MIDI_TOOL X_INPUT_TOOL
set -euo pipefail
source "$(dirname "$0")/lib.sh"
PLINKARO=$1
TOOL=$2
X_INPUT=$3
LAVENDER=192,192,255

# A server name of a few kept for this test: JACK keeps a machine-wide table of at most
# 8 servers and frees an entry left by a server that died only when a server of the same
# name starts. A name another test run takes at the same moment makes the start fail, and
# the next name is tried. Synchronous, so that a client slowed down (as under the
# sanitizers) delays a cycle instead of losing its MIDI.
# One test process with JACK servers at a time on the machine, as for the unit tests' servers:
# every server of a user shares libjack's metadata store, and a client's open fails while
# another process's server starts or ends.
exec 8>/tmp/plinkaro-winmm-test-jack.lock
flock 8
JACKD_PID=""
PLAYER_PID=""
EARLY_PID=""
jack_up() { jack_lsp >/dev/null 2>&1; }
# The recorder leaves JACK on SIGTERM; one stuck in that (a wedged server) is killed.
stop_recorder() {
  kill "$RECORDER_PID"
  within 10 eval '! kill -0 "$RECORDER_PID" 2>/dev/null' || kill -KILL "$RECORDER_PID"
  wait "$RECORDER_PID" 2>/dev/null || true
}
jackd_running() { kill -0 "$JACKD_PID" 2>/dev/null; }
for slot in 0 1 2 3; do
  export JACK_DEFAULT_SERVER="plinkaro-e2e-$slot"
  jack_up && continue  # a server of that name runs
  jackd --no-realtime --sync --timeout 5000 -d dummy -r 48000 -p 1024 >"$E2E_WORK/jackd.log" 2>&1 &
  JACKD_PID=$!
  E2E_PIDS+=("$JACKD_PID")
  up_or_gone() { jack_up || ! jackd_running; }
  within 10 up_or_gone || true
  jackd_running && jack_up && break
  kill "$JACKD_PID" 2>/dev/null || true
  wait "$JACKD_PID" 2>/dev/null || true
  echo "the JACK server $JACK_DEFAULT_SERVER did not start:" && cat "$E2E_WORK/jackd.log"
done
if ! jackd_running || ! jack_up; then
  echo "FAIL no JACK server could be started"
  exit 1
fi
# Ends the clients (the player at the end of its input), then the server, so that it
# leaves JACK's table of servers; a synchronous server waits long for a client that died.
stop_jack() {
  local pid
  exec 3>&- 4>&- 5>&- || true
  for pid in "${E2E_PIDS[@]}"; do
    [[ $pid == "$JACKD_PID" || $pid == "$PLAYER_PID" || $pid == "$EARLY_PID" ]] || kill "$pid" 2>/dev/null || true
  done
  for pid in "${E2E_PIDS[@]}"; do [[ $pid == "$JACKD_PID" ]] || wait "$pid" 2>/dev/null || true; done
  kill "$JACKD_PID" 2>/dev/null || true
  wait "$JACKD_PID" 2>/dev/null || true
}
trap 'stop_jack; e2e_cleanup' EXIT
# Then the devices chosen in the menu and remembered: a JACK client's port chosen as the
# output gets Z, after a restart too; a remembered input plays alone; a remembered output
# that is gone gives the default with one line.
# Where an ALSA sequencer exists the ports would open there first.
[[ -e /dev/snd/seq ]] && export PLINKARO_MIDI_API=jack

start_x
mkfifo "$E2E_WORK/early"
"$TOOL" play "e2e early" <"$E2E_WORK/early" &
EARLY_PID=$!
E2E_PIDS+=("$EARLY_PID")
exec 4>"$E2E_WORK/early"
for _ in $(seq 100); do
  jack_lsp | grep -qx "e2e early:out" && break
  sleep 0.05
done
E2E_MIDI_OUT=port E2E_MIDI_IN=all start_plinkaro "$PLINKARO"
"$TOOL" record "Plinkaro:Plinkaro" >"$E2E_WORK/recorded.txt" 2>&1 &
RECORDER_PID=$!
E2E_PIDS+=("$RECORDER_PID")
trap '' PIPE  # a player that died fails the write below instead of ending the script
mkfifo "$E2E_WORK/play"
"$TOOL" play <"$E2E_WORK/play" &
PLAYER_PID=$!
E2E_PIDS+=("$PLAYER_PID")
exec 3>"$E2E_WORK/play"

# jack_lsp -c lists each port with the ports connected to it indented below.
connected() { jack_lsp -c | awk -v port="$1" '/^[^ \t]/ { at = ($0 == port) } at && /^[ \t]/'; }
waited=0
for waited in $(seq 40); do
  connected "e2e player:out" | grep -q "Plinkaro In" && break
  sleep 0.1
done
check "\"all\" connects the new source within 2 s" "$(connected "e2e player:out" | grep -c "Plinkaro In")" 1
echo "connected after about $((waited * 100)) ms"
for _ in $(seq 40); do
  [[ $(connected "e2e early:out" | grep -c "Plinkaro In") == 1 ]] && break
  sleep 0.1
done
check "a source there before the start is connected once" \
  "$(connected "e2e early:out" | grep -c "Plinkaro In")" 1
check "and never Plinkaro's own port" "$(connected "Plinkaro:Plinkaro" | grep -c "Plinkaro In" || true)" 0

printf 'short 92 3c 64\nshort c2 05\nlong f0 7e 7f 09 01 f7\n' >&3
for _ in $(seq 100); do
  (($(wc -l <"$E2E_WORK/recorded.txt") >= 3)) && break
  sleep 0.1
done
eventually_pixel "note 60 lit on row 2" 120 $((2 * 48 + 42)) $LAVENDER
printf 'short 93 40 64\nshort 83 40 00\n' >&4
for _ in $(seq 100); do
  (($(wc -l <"$E2E_WORK/recorded.txt") >= 5)) && break
  sleep 0.1
done
played="short 92 3c 64|short c2 05|long f0 7e 7f 09 01 f7|short 93 40 64|short 83 40 00|"
check "each message comes out once" "$(tr '\n' '|' <"$E2E_WORK/recorded.txt")" "$played"

"$X_INPUT" close "$WINDOW"
for _ in $(seq 100); do
  kill -0 "$PLINKARO_PID" 2>/dev/null || break
  sleep 0.05
done
check "Plinkaro ends" "$(kill -0 "$PLINKARO_PID" 2>/dev/null && echo running || echo ended)" ended
offs="short 82 3c 00|"
for ch in 0 1 2 3 4 5 6 7 8 9 a b c d e f; do offs+="short b$ch 40 00|"; done
check "closing sends the held note's note-off, then sustain off" \
  "$(tail -n 17 "$E2E_WORK/recorded.txt" | tr '\n' '|')" "$offs"
check "and nothing else came out" "$(tr '\n' '|' <"$E2E_WORK/recorded.txt")" "$played$offs"

echo "# devices chosen in the menu and remembered"
stop_recorder
# The recorder's port, the only one on the dummy server that takes MIDI, is listed last
# under MIDI output; it listens to a source that sends nothing.
mkfifo "$E2E_WORK/idle"
"$TOOL" play "e2e idle" <"$E2E_WORK/idle" &
E2E_PIDS+=($!)
exec 5>"$E2E_WORK/idle"
idle_up() { jack_lsp | grep -qx "e2e idle:out"; }
within 10 idle_up
"$TOOL" record "e2e idle:out" >"$E2E_WORK/chosen.txt" 2>&1 &
E2E_PIDS+=($!)
recorder_up() { jack_lsp | grep -qx "e2e recorder:in"; }
within 10 recorder_up
got() { grep -c "^$1" "$E2E_WORK/chosen.txt" || true; }
got_one() { [[ $(got "$1") -ge 1 ]]; }
start_plinkaro "$PLINKARO"
xdotool key shift+F10
menu_up() { [[ -n "$(other_windows)" ]]; }
within 5 menu_up || true
xdotool key t End Return  # MIDI output > the last port listed
settle 0.3
xdotool key z
within 10 got_one "short 90 3c" || true
check "the port chosen in the menu gets Z" "$(got "short 90 3c")" 1
check "it is remembered by name" "$(grep -c '^MidiOutput=e2e recorder:in$' "$XDG_CONFIG_HOME/Plinkaro/plinkaro.ini")" 1
close_plinkaro "$X_INPUT"

echo "MidiInput=e2e player:out" >>"$XDG_CONFIG_HOME/Plinkaro/plinkaro.ini"
: >"$E2E_WORK/chosen.txt"
start_plinkaro env -u PLINKARO_MIDI_OUT -u PLINKARO_MIDI_IN "$PLINKARO"
xdotool key z
within 10 got_one "short 90 3c" || true
check "after a restart Z still reaches the chosen port" "$(got "short 90 3c")" 1
player_in() { connected "e2e player:out" | grep -q "Plinkaro In"; }
within 5 player_in || true
printf 'short 93 41 64\n' >&4
printf 'short 92 3e 64\n' >&3
within 10 got_one "short 92 3e 64" || true
settle 0.5  # a message of the ignored source would have come by now
check "the remembered input plays alone, the other source is ignored" \
  "$(got "short 92 3e 64") $(got "short 93 41 64")" "1 0"
close_plinkaro "$X_INPUT"

settings_file "F7StartsRecording=0" "MidiOutput=e2e gone:in"
start_plinkaro env -u PLINKARO_MIDI_OUT "$PLINKARO"
check "a remembered output that is gone gives the default with one line" \
  "$(grep -c 'the MIDI output e2e gone:in is not there; using the default' "$E2E_WORK/plinkaro.out")" 1
close_plinkaro "$X_INPUT"
echo "# a JACK server that stops and starts again"
start_jackd() {
  jackd --no-realtime --sync --timeout 5000 -d dummy -r 48000 -p 1024 >"$E2E_WORK/jackd.log" 2>&1 &
  JACKD_PID=$!
  E2E_PIDS+=("$JACKD_PID")
  within 10 jack_up
}
: >"$E2E_WORK/chosen.txt"
E2E_MIDI_OUT="port:e2e recorder" E2E_MIDI_IN=all start_plinkaro "$PLINKARO"
xdotool key z
within 10 got_one "short 90 3c" || true
check "port:NAME reaches the recorder" "$(got "short 90 3c")" 1
exec 3>&- 4>&- 5>&-
kill -9 "$JACKD_PID"
wait "$JACKD_PID" 2>/dev/null || true
for pid in "${E2E_PIDS[@]}"; do
  [[ $pid == "$PLINKARO_PID" ]] || kill -9 "$pid" 2>/dev/null || true
done
settle 0.5
check "Plinkaro lives on without the server" "$(kill -0 "$PLINKARO_PID" 2>/dev/null && echo running)" running
start_jackd
back=$(date +%s%N)
"$TOOL" play "e2e idle" <"$E2E_WORK/idle" &
E2E_PIDS+=($!)
exec 5>"$E2E_WORK/idle"
within 10 idle_up
: >"$E2E_WORK/chosen.txt"
"$TOOL" record "e2e idle:out" >"$E2E_WORK/chosen.txt" 2>&1 &
RECORDER_PID=$!
E2E_PIDS+=("$RECORDER_PID")
out_connected() { connected "Plinkaro:Plinkaro" | grep -q "e2e recorder:in"; }
within 10 out_connected || true
echo "the output port was connected again $(($(($(date +%s%N) - back)) / 1000000)) ms after the server was back"
check "the output port opens again and connects to the recorder" "$(out_connected && echo yes)" yes
"$TOOL" play <"$E2E_WORK/play" &
PLAYER_PID=$!
E2E_PIDS+=("$PLAYER_PID")
exec 3>"$E2E_WORK/play"
within 10 player_in || true
echo "the player was heard again $(($(($(date +%s%N) - back)) / 1000000)) ms after the server was back"
check "\"all\" hears a new source on the new server" "$(player_in && echo yes)" yes
printf 'short 94 3c 64\n' >&3
within 10 got_one "short 94 3c 64" || true
check "its note comes out of the port" "$(got "short 94 3c 64")" 1
eventually_pixel "and lights row 4" 120 $((4 * 48 + 42)) $LAVENDER
printf 'short 84 3c 00\n' >&3
xdotool key z
within 10 got_one "short 90 3c" || true
check "a key reaches the recorder" "$(got "short 90 3c")" 1

stop_recorder
: >"$E2E_WORK/chosen.txt"
"$TOOL" record "e2e idle:out" >"$E2E_WORK/chosen.txt" 2>&1 &
RECORDER_PID=$!
E2E_PIDS+=("$RECORDER_PID")
within 10 out_connected || true
xdotool key x
within 10 got_one "short 90 3e" || true
check "a recorder that left and came back is connected again" "$(got "short 90 3e")" 1
close_plinkaro "$X_INPUT"
finish
