#!/usr/bin/env bash
# Sound under load as an ordinary user: the real program, run as nobody, holds a church-organ
# note on the default synth through a private PulseAudio daemon (a null sink) while LOOPS
# busy loops run; 8 s of the sink's monitor are recorded and every stretch of at least 2 ms
# that falls below a tenth of the note's level counts as a dropout. The program's trace
# line says which priority its sound thread got.
# Run as root (it starts the program as nobody). With RealtimeKit on the system bus
# (Debian's rtkit; outside a desktop session polkit must allow its actions, e.g. by a rule
# in /etc/polkit-1/rules.d), an ordinary user's sound thread gets real-time priority from
# it; RTKIT=0 hides the system bus from the program, as on a machine without the kit.
# Usage: [RUNS=3] [LOOPS=2] [RTKIT=1] bench/held_note_dropouts.sh [PLINKARO_EXECUTABLE]
set -euo pipefail
cd "$(dirname "$0")/.."
app=$(realpath "${1:-build/release/app/plinkaro}")
[[ $(id -u) == 0 ]] || { echo "run as root: the program is started as nobody" >&2; exit 1; }
source tests/e2e/lib.sh
start_x
chmod 755 "$E2E_WORK"
mkdir -p -m 777 "$E2E_WORK/pulse"
export XDG_RUNTIME_DIR="$E2E_WORK/runtime" HOME="$E2E_WORK/home"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$HOME"
pulseaudio --daemonize=no -n --exit-idle-time=-1 --log-target=stderr \
  --load="module-null-sink sink_name=bench rate=48000" \
  --load="module-native-protocol-unix auth-anonymous=1 socket=$E2E_WORK/pulse/native" \
  >"$E2E_WORK/pulse.log" 2>&1 &
E2E_PIDS+=("$!")
within 5 test -S "$E2E_WORK/pulse/native" || { echo "PulseAudio did not start" >&2; exit 1; }
chmod 777 "$E2E_WORK/pulse/native"
# Program 19 (church organ) on channel 1, then middle C, never released.
printf '0 short c0 13 00\n200 short 90 3c 64\n' >"$E2E_WORK/held.log"
chmod 644 "$E2E_WORK/held.log"
bus=${DBUS_SYSTEM_BUS_ADDRESS:-unix:path=/run/dbus/system_bus_socket}
[[ ${RTKIT:-1} == 0 ]] && bus=unix:path=/nonexistent

for run in $(seq "${RUNS:-3}"); do
  user_dir="$E2E_WORK/nobody$run"
  mkdir -p -m 700 "$user_dir/home" "$user_dir/runtime"
  chown -R nobody "$user_dir"
  runuser -u nobody -- env HOME="$user_dir/home" XDG_RUNTIME_DIR="$user_dir/runtime" \
    DISPLAY="$DISPLAY" DBUS_SYSTEM_BUS_ADDRESS="$bus" PULSE_SERVER="unix:$E2E_WORK/pulse/native" \
    PLINKARO_MIDI_OUT=synth PLINKARO_MIDI_IN="replay:$E2E_WORK/held.log" PLINKARO_TRACE=winmm \
    "$app" >"$user_dir/app.log" 2>&1 &
  E2E_PIDS+=("$!")
  sleep 2  # the soundfont and the organ's samples load
  loops=()
  for _ in $(seq "${LOOPS:-2}"); do
    sh -c 'while :; do :; done' &
    loops+=("$!")
  done
  timeout 9 parec --server="unix:$E2E_WORK/pulse/native" -d bench.monitor --raw \
    --format=s16le --rate=48000 --channels=1 >"$user_dir/monitor.raw" 2>/dev/null || true
  kill "${loops[@]}"
  pkill -TERM -u nobody -f "^$app" || true
  sleep 0.5
  priority=$(grep -o "sound thread [0-9]*: .*priority[^@]*[^@ ]" "$user_dir/app.log" | head -n 1 || true)
  echo "run $run, ${LOOPS:-2} busy loops: ${priority:-no sound thread}"
  python3 - "$user_dir/monitor.raw" <<'PY'
import array, statistics, sys
samples = array.array("h")
samples.frombytes(open(sys.argv[1], "rb").read())
window = 96  # 2 ms at 48 kHz
peaks = [max(map(abs, samples[i:i + window])) for i in range(0, len(samples) - window, window)]
start = next((i for i, peak in enumerate(peaks) if peak > 500), None)
if start is None:
    sys.exit("  no sound was recorded")
note = peaks[start:start + 4000]  # 8 s
level = statistics.median(note)
gaps, run = [], 0
for peak in note + [level]:
    if peak < level / 10:
        run += 1
    elif run:
        gaps.append(run * 2)
        run = 0
print("  %.1f s of the note: %d dropouts%s" % (len(note) / 500, len(gaps),
      " (%s ms)" % ", ".join(map(str, gaps)) if gaps else ""))
PY
done
