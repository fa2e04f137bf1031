#!/usr/bin/env bash
# Measures the real program under a private Xvfb server, for three MIDI devices: none; the
# default synth rendering into a WAV file; the default synth playing through a private
# PulseAudio daemon with a null sink (when pulseaudio is installed). For each:
#   start-up   exec to the first frame that shows the rows (the present that follows the
#              main window's first WM_PAINT, as PLINKARO_TRACE=user32 reports them)
#   memory     resident set after 3 s
#   idle CPU   CPU time of all the program's threads over 10 s from 10 s after the start,
#              as a share of one core (and of the sound server's, for the PulseAudio
#              device): by then a synth has stopped feeding its output (2 s of silence)
#              and the server has suspended its idle sink (5 s later); and how often its
#              threads woke up in that time (context switches a second)
#   F1         from the F1 key's dispatch to the next frame: the 100 ms stop wait, the
#              channel reset and the output's close and reopen; the reopen alone is the
#              rest after 100 ms (PLINKARO_TRACE=winmm also prints the open's own time)
# each as min/median/max over the runs (5 by default). With several executables the runs
# alternate between them, so that all see the same load. The floors (bench/floor_window.cpp)
# are measured the same way in each run: a bare SDL window with the program's hints, timed
# from exec to its first present and then idle on a 10 ms timer; and a bare 10 ms poll loop.
# START_ONLY=1 leaves out the memory and idle figures (they print as 0), for quick
# comparisons of the start.
# Usage: [RUNS=5] [START_ONLY=1] [FLOOR=build/release/bench/floor_window] bench/app_startup_idle.sh
#        [PLINKARO_EXECUTABLE...]   (default build/release/app/plinkaro)
set -euo pipefail
cd "$(dirname "$0")/.."
apps=()
for app in "${@:-build/release/app/plinkaro}"; do apps+=("$(realpath "$app")"); done
floor=$(realpath "${FLOOR:-build/release/bench/floor_window}")
runs=${RUNS:-5}
source tests/e2e/lib.sh
start_x
export XDG_RUNTIME_DIR="$E2E_WORK/runtime" HOME="$E2E_WORK/home"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$HOME"

# A PulseAudio daemon of this script's own: a null sink, anonymous clients, suspended when
# idle as a desktop's is. Stopped by its PID on exit (lib.sh's cleanup).
PULSE_PID=""
start_pulse() {
  command -v pulseaudio >/dev/null || return 1
  pulseaudio --daemonize=no -n --exit-idle-time=-1 --log-target=stderr \
    --load="module-null-sink sink_name=bench rate=48000" \
    --load="module-native-protocol-unix auth-anonymous=1" \
    --load="module-suspend-on-idle" >"$E2E_WORK/pulse.log" 2>&1 &
  PULSE_PID=$!
  E2E_PIDS+=("$PULSE_PID")
  for _ in $(seq 50); do
    [[ -S "$XDG_RUNTIME_DIR/pulse/native" ]] && return 0
    sleep 0.1
  done
  return 1
}

devices=(none wav)
if start_pulse; then devices+=(pulse); else echo "# no PulseAudio daemon: the sound-driver device is skipped"; fi

# Context switches so far of every thread of a process: its wake-ups, near enough.
switches() {
  cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { sum += $2 } END { print sum + 0 }'
}

# Nanoseconds of CPU used so far by every thread of a process.
cpu_ns() {
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.0f", sum }'
}

# stamped_after FILE PATTERN [FROM]: the time (the steady clock's milliseconds that end
# every traced line) of the first line matching PATTERN after the line FROM (1-based; 0 for
# all), or nothing.
stamped_after() {
  awk -v from="${3:-0}" -v pattern="$2" \
    'NR > from && $0 ~ pattern && $NF ~ /^@/ { print substr($NF, 2); exit }' "$1"
}
line_of() { awk -v pattern="$2" '$0 ~ pattern { print NR; exit }' "$1"; }

wait_for_line() {  # wait_for_line FILE PATTERN [FROM]: up to 10 s
  for _ in $(seq 200); do
    [[ -n "$(stamped_after "$@")" ]] && return 0
    sleep 0.05
  done
  return 1
}

# measure_idle PID START [SERVER_PID]: sets rss (MB, 3 s after START), then, over 10 s from
# 10 s after START, cpu (ns) and woke (context switches) of PID and server_cpu (ns) of
# SERVER_PID (0 without one). The caller declares them local.
measure_idle() {
  local pid=$1 start=$2 server=${3:-} cpu0 woke0 server0=0
  if [[ -n ${START_ONLY:-} ]]; then
    sleep 0.5
    rss=0 cpu=0 woke=0 server_cpu=0
    return 0
  fi
  sleep "$(awk -v a="$start" -v now="$EPOCHREALTIME" 'BEGIN { s = 3 - (now - a); print (s > 0 ? s : 0) }')"
  rss=$(awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status")
  sleep 7
  cpu0=$(cpu_ns "$pid")
  woke0=$(switches "$pid")
  [[ -n $server ]] && server0=$(cpu_ns "$server")
  sleep 10
  cpu=$(($(cpu_ns "$pid") - cpu0))
  woke=$(($(switches "$pid") - woke0))
  server_cpu=0
  [[ -n $server ]] && server_cpu=$(($(cpu_ns "$server") - server0))
  return 0
}

# Looking at the log while the program starts would take a processor from it.
quiet_start() { sleep 1; }

# start_stamped LOG [NAME=VALUE...] COMMAND...: starts COMMAND with the variables set and its
# stderr into LOG, after a first line "exec @MS" that stamps the exec on the steady clock the
# traced lines end with (no process stamps lines as they come: on two processors it would
# take time from the program and its display server); sets STARTED_AT (wall clock, just
# before the start) and STARTED_PID. The variables are set before the exec, not by env(1),
# whose own start would add 2-3 ms to the program's and not to the floor's.
start_stamped() {
  local log=$1
  shift
  STARTED_AT=$EPOCHREALTIME
  python3 -c 'import os, sys, time
arguments = sys.argv[1:]
while "=" in arguments[0] and not arguments[0].startswith("/"):
    name, value = arguments.pop(0).split("=", 1)
    os.environ[name] = value
sys.stderr.write("exec @%.3f\n" % (time.monotonic() * 1000))
sys.stderr.flush()
os.execvp(arguments[0], arguments)' "$@" 2>"$log" >/dev/null &
  STARTED_PID=$!
  E2E_PIDS+=("$STARTED_PID")
}

# run_once APP DEVICE: prints "startup_ms rss_mb cpu_percent server_cpu_percent f1_ms open_ms
# wakeups_per_s".
run_once() {
  local app=$1 device=$2 log="$E2E_WORK/trace.log"
  local -a environment=(PLINKARO_TRACE=user32,winmm)
  case $device in
    none) environment+=(PLINKARO_MIDI_OUT=none) ;;
    wav) environment+=(PLINKARO_MIDI_OUT=synth "PLINKARO_AUDIO_OUT=file:$E2E_WORK/out.wav") ;;
    pulse) environment+=(PLINKARO_MIDI_OUT=synth "PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native") ;;
  esac
  start_stamped "$log" "${environment[@]}" "$app"
  local start=$STARTED_AT pid=$STARTED_PID
  quiet_start
  local main startup="" rss cpu woke server_cpu f1="" open=""
  if wait_for_line "$log" ' 0x81 '; then
    main=$(awk '/ 0x81 / { print $3; exit }' "$log")
    if wait_for_line "$log" "call $main WM_PAINT"; then
      local painted
      painted=$(line_of "$log" "call $main WM_PAINT")
      wait_for_line "$log" 'present ' "$painted" &&
        startup=$(awk -v a="$(stamped_after "$log" '^exec ')" \
          -v b="$(stamped_after "$log" 'present ' "$painted")" 'BEGIN { printf "%.1f", b - a }')
    fi
  fi
  local server=""
  [[ $device == pulse ]] && server=$PULSE_PID
  measure_idle "$pid" "$start" "$server"
  # F1: from the key's dispatch to the next frame.
  local window
  window=$(xdotool search --onlyvisible --name '^Plinkaro$' 2>/dev/null | head -n 1 || true)
  if [[ -n "$window" ]]; then
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    local before
    before=$(wc -l <"$log")
    xdotool key --window "$window" F1
    if wait_for_line "$log" "call $main WM_KEYDOWN 0x70" "$before"; then
      local keyLine
      keyLine=$(awk -v from="$before" -v pattern="call $main WM_KEYDOWN 0x70" \
        'NR > from && $0 ~ pattern { print NR; exit }' "$log")
      wait_for_line "$log" 'present ' "$keyLine" &&
        f1=$(awk -v a="$(stamped_after "$log" "WM_KEYDOWN 0x70" "$before")" \
          -v b="$(stamped_after "$log" 'present ' "$keyLine")" 'BEGIN { printf "%.1f", b - a }')
      open=$(awk -v from="$keyLine" 'NR > from && /winmm: midiOutOpen/ {
        for (i = 1; i < NF; i++) if ($(i + 1) == "ms") { print $i; exit } }' "$log")
    fi
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  awk -v s="${startup:--}" -v r="$rss" -v c="$cpu" -v d="$server_cpu" \
    -v f="${f1:--}" -v o="${open:--}" -v w="$woke" \
    'BEGIN { printf "%s %s %.2f %.2f %s %s %.1f\n", s, r, c / 1e8, d / 1e8, f, o, w / 10 }'
}

# run_floor_once window|poll: prints "startup_ms rss_mb cpu_percent wakeups_per_s" for a floor, measured
# as run_once measures the program ("-" for the poll loop's start-up).
run_floor_once() {
  local log="$E2E_WORK/floor.log" startup="" rss cpu woke server_cpu
  local -a arguments=()
  [[ $1 == poll ]] && arguments=(poll)
  start_stamped "$log" "$floor" "${arguments[@]}"
  local start=$STARTED_AT pid=$STARTED_PID
  quiet_start
  if [[ $1 == window ]] && wait_for_line "$log" '^present '; then
    startup=$(awk -v a="$(stamped_after "$log" '^exec ')" \
      -v b="$(stamped_after "$log" '^present ')" 'BEGIN { printf "%.1f", b - a }')
  fi
  measure_idle "$pid" "$start"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  awk -v s="${startup:--}" -v r="$rss" -v c="$cpu" -v w="$woke" \
    'BEGIN { printf "%s %s %.2f %.1f\n", s, r, c / 1e8, w / 10 }'
}

# min/median/max of the numbers on stdin ("-" when none).
summary() {
  sort -g | awk '$1 != "-" { v[n++] = $1 }
    END { if (!n) { print "-"; exit } printf "%s / %s / %s", v[0], v[int((n - 1) / 2)], v[n - 1] }'
}

results="$E2E_WORK/results"
for run in $(seq "$runs"); do
  for device in "${devices[@]}"; do
    for index in "${!apps[@]}"; do
      echo "$index $device $(run_once "${apps[$index]}" "$device")" >>"$results"
    done
  done
  for kind in window poll; do echo "floor $kind $(run_floor_once "$kind")" >>"$results"; done
  echo "# run $run of $runs done (load average $(cut -d' ' -f1-3 /proc/loadavg))"
done

echo "# min / median / max over $runs runs"
for index in "${!apps[@]}"; do
  echo "== ${apps[$index]}"
  for device in "${devices[@]}"; do
    field() { awk -v i="$index" -v d="$device" -v c="$1" '$1 == i && $2 == d { print $c }' "$results" | summary; }
    echo "$device: start-up $(field 3) ms; RSS after 3 s $(field 4) MB;" \
      "idle CPU $(field 5) % (sound server $(field 6) %), $(field 9) wake-ups/s;" \
      "F1 to next frame $(field 7) ms; open in F1 $(field 8) ms"
  done
done
echo "== the floors ($floor)"
for kind in window poll; do
  field() { awk -v k="$kind" -v c="$1" '$1 == "floor" && $2 == k { print $c }' "$results" | summary; }
  echo "$kind: start-up $(field 3) ms; RSS after 3 s $(field 4) MB; idle CPU $(field 5) %," \
    "$(field 6) wake-ups/s"
done
