#!/usr/bin/env bash
# Plinkaro's MIDI ports on a private JACK server (the dummy driver: no sound card and no
# ALSA sequencer needed). A source that appears while Plinkaro runs is connected within
# 2 s ("all"), its notes light the strips and come out of Plinkaro's port once each,
# a source there before the start (opened through its own input and so left out of
# "all") plays once too, Plinkaro's own port is never connected to its input, and closing
# the window sends note-offs for what still sounds, then sustain off.
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
JACKD_PID=""
PLAYER_PID=""
EARLY_PID=""
jack_up() { jack_lsp >/dev/null 2>&1; }
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
  exec 3>&- 4>&- || true
  for pid in "${E2E_PIDS[@]}"; do
    [[ $pid == "$JACKD_PID" || $pid == "$PLAYER_PID" || $pid == "$EARLY_PID" ]] || kill "$pid" 2>/dev/null || true
  done
  for pid in "${E2E_PIDS[@]}"; do [[ $pid == "$JACKD_PID" ]] || wait "$pid" 2>/dev/null || true; done
  kill "$JACKD_PID" 2>/dev/null || true
  wait "$JACKD_PID" 2>/dev/null || true
}
trap 'stop_jack; e2e_cleanup' EXIT
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
E2E_PIDS+=($!)
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
finish
