# Shared steps of the end-to-end tests: a private X server, the real program with the
# MIDI log device, keys through xdotool and pixels from screenshots.
# Sourced by the test scripts (and scripts/test-windows.sh); they run under `set -euo pipefail`.

E2E_WORK=$(mktemp -d /tmp/plinkaro-e2e.XXXXXX)
export XDG_DATA_HOME=$E2E_WORK/data  # the user's own skins stay out of the tests
export XDG_CONFIG_HOME=$E2E_WORK/config  # and their settings and Music folder
mkdir -p "$XDG_CONFIG_HOME"
echo "XDG_MUSIC_DIR=\"$E2E_WORK/music\"" >"$XDG_CONFIG_HOME/user-dirs.dirs"
E2E_FAILURES=0
PLINKARO_PID=""
E2E_PIDS=()  # every program started, so that none outlives the test
XVFB_PID=""

# Ends what is still running: politely, then by force (a program that hangs). The work
# folder stays when a check failed, or when E2E_KEEP is set.
e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null && sleep 0.5 || true; done
  for pid in "${E2E_PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
  if ((E2E_FAILURES == 0)) && [[ -z ${E2E_KEEP:-} ]]; then rm -rf "$E2E_WORK"; else echo "kept $E2E_WORK for inspection"; fi
}
trap e2e_cleanup EXIT

# within SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds; false if it never does.
within() {
  local tries=$(($1 * 20))
  shift
  for _ in $(seq "$tries"); do
    "$@" && return 0
    sleep 0.05
  done
  return 1
}

# start_x [WIDTHxHEIGHT]: Xvfb on a free display number, with the server's built-in fonts
# only: nothing here may rely on X core fonts that a fresh machine lacks.
start_x() {
  # A test that needs a new server (its display lost, a fresh one) ends the last it started.
  [[ -z "$XVFB_PID" ]] || kill "$XVFB_PID" 2>/dev/null || true
  Xvfb -displayfd 3 -screen 0 "${1:-1024x900}x24" -nolisten tcp -noreset -fp built-ins \
    3>"$E2E_WORK/display" >"$E2E_WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  within 10 test -s "$E2E_WORK/display" || { echo "could not start Xvfb" >&2 && return 1; }
  export DISPLAY=":$(cat "$E2E_WORK/display")"
}

# start_plinkaro EXECUTABLE [FILE]: runs it with the MIDI log (or E2E_MIDI_OUT) and no MIDI
# input (or E2E_MIDI_IN), and waits until its window is mapped, painted and has the
# keyboard focus.
start_plinkaro() {
  MIDI_LOG="$E2E_WORK/midi.log"
  PLINKARO_MIDI_OUT="${E2E_MIDI_OUT:-log:$MIDI_LOG}" PLINKARO_MIDI_IN="${E2E_MIDI_IN:-none}" \
    "$@" >"$E2E_WORK/plinkaro.out" 2>&1 &
  PLINKARO_PID=$!
  E2E_PIDS+=("$PLINKARO_PID")
  if within 10 found_window '^Plinkaro$'; then
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
    sleep 0.3  # the first paint
    return 0
  fi
  echo "the Plinkaro window did not appear" >&2
  cat "$E2E_WORK/plinkaro.out" >&2
  return 1
}
found_window() { WINDOW=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && [[ -n "$WINDOW" ]]; }

# close_plinkaro X_INPUT: the close box, as a window manager sends it; the program must end
# with exit code 0 within 5 s.
close_plinkaro() {
  "$1" close "$WINDOW"
  local status=0
  timeout 5 tail --pid="$PLINKARO_PID" -f /dev/null || status=running
  [[ $status == running ]] || wait "$PLINKARO_PID" || status=$?
  check "the close box ends the program with exit code 0" "$status" 0
}

settle() { sleep "${1:-0.15}"; }  # lets the program take input and paint
# eventually NAME EXPECTED COMMAND...: runs COMMAND every 50 ms until it prints EXPECTED
# (for at most 10 s, as a busy machine may take long), then checks what it printed last.
# What the program does in answer to input is awaited this way, never for a fixed time.
eventually() {
  local name=$1 expected=$2 actual="" tries
  shift 2
  for tries in $(seq 200); do
    actual=$("$@" || true)
    [[ "$actual" == "$expected" ]] && break
    sleep 0.05
  done
  check "$name" "$actual" "$expected"
}
# eventually_pixel NAME X Y R,G,B: a fresh screenshot until that pixel has that colour.
eventually_pixel() { eventually "$1" "$4" shot_pixel "$2" "$3"; }
shot_pixel() { shoot && pixel "$1" "$2"; }
has_lines() { (($(wc -l <"$1") >= $2)); }  # has_lines FILE N
shoot() { import -window "$WINDOW" "$E2E_WORK/shot.png"; }
# start_floor SECONDS: the machine's own timing while a song plays: cyclictest wakes a
# thread on every CPU each millisecond, at the playback timer's policy and priority where
# the process may use it, without holding the CPUs out of their sleep states. A virtual
# machine may wake any thread milliseconds late now and then; finish_floor waits for the
# end and sets FLOOR_LATE_US to how late at worst, so that a timing bound holds for the
# program and not for the machine.
start_floor() {
  local -a policy=(--policy=other -p 0)
  chrt -f 2 true 2>/dev/null && policy=(--policy=fifo -p 2)
  cyclictest "${policy[@]}" --smp --laptop -i 1000 -d 0 -D "$1" -q >"$E2E_WORK/floor.txt" 2>&1 &
  FLOOR_PID=$!
}
finish_floor() {
  wait "$FLOOR_PID" 2>/dev/null || true
  FLOOR_LATE_US=$(awk '/Max:/ { if ($NF + 0 > max) max = $NF + 0 } END { print max + 0 }' \
    "$E2E_WORK/floor.txt")
}
# strongest_line WAV [EFFECT...]: the frequency (Hz, one decimal) of the strongest line below
# 2 kHz in the spectrum of the whole recording (after sox's EFFECTs). sox gives one spectrum
# per window; a decaying note's single window may peak a bin away, so the bins are summed.
strongest_line() {
  local wav=$1
  shift
  sox "$wav" -n "$@" stat -freq 2>&1 |
    awk 'NF == 2 && $1 ~ /^[0-9.]+$/ && $1 > 20 && $1 < 2000 { sum[$1] += $2 }
         END { for (f in sum) if (sum[f] > best) { best = sum[f]; at = f } printf "%.1f", at }'
}
# crop_signature X Y W H: a hash of that part of the last screenshot.
crop_signature() { convert "$E2E_WORK/shot.png" -crop "$3x$4+$1+$2" +repage -format '%#' info:; }
# pixel X Y: "r,g,b" of the last screenshot.
pixel() {
  convert "$E2E_WORK/shot.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}
check_pixel() { check "$1" "$(pixel "$2" "$3")" "$4"; }  # check_pixel NAME X Y R,G,B
check() {                                               # check NAME ACTUAL EXPECTED
  if [[ "$2" == "$3" ]]; then
    echo "ok   $1"
  else
    echo "FAIL $1: got '$2', expected '$3'"
    E2E_FAILURES=$((E2E_FAILURES + 1))
  fi
}

# MIDI log lines without their times, from line N on (1-based), joined by '|'.
midi_calls_from() { tail -n "+$1" "$MIDI_LOG" | cut -d' ' -f2- | tr '\n' '|'; }
midi_line_count() { wc -l <"$MIDI_LOG"; }
keydown() { xdotool keydown "$@"; }
keyup() { xdotool keyup "$@"; }

# Shown windows without a title other than the root and the program's window: a message
# box (it has an empty caption and no window manager runs here).
other_windows() {
  local root
  root=$(xwininfo -root -int | sed -n 's/.*Window id: \([0-9]*\).*/\1/p')
  xdotool search --onlyvisible --name '^$' 2>/dev/null | grep -vx -e "$root" -e "${WINDOW:-}" || true
}

# check_message_box TEXT: the program (started with PLINKARO_TRACE=user32) shows a box with
# TEXT and the empty caption, its text is drawn, and Return closes it.
check_message_box() {
  local box="" dark
  shown_box() { box=$(other_windows | head -n 1) && [[ -n "$box" ]]; }
  within 5 shown_box || true
  check "a message box says \"$1\"" \
    "$([[ -n "$box" ]] && grep -c "message box caption \"\" text \"$1\"" "$E2E_WORK/plinkaro.out")" 1
  [[ -n "$box" ]] || return 0
  settle
  # Dark pixels in its upper half, above the button's band: the text is drawn.
  dark=$(import -window "$box" png:- | convert - -crop 100%x50%+0+0 +repage -colorspace Gray \
    -threshold 50% -format '%[fx:int(w*h*(1-mean))]' info:)
  check "its text is drawn" "$((dark > 20))" 1
  xdotool key Return
  gone_box() { ! other_windows | grep -qx "$box"; }
  within 5 gone_box || true
  check "Return closes it" "$(other_windows | grep -cx "$box" || true)" 0
}

# settings_file LINES...: the program's settings file, as a choice in its menu writes it.
settings_file() {
  mkdir -p "$XDG_CONFIG_HOME/Plinkaro"
  printf '%s\n' "[Plinkaro]" "$@" >"$XDG_CONFIG_HOME/Plinkaro/plinkaro.ini"
}

finish() {
  if ((E2E_FAILURES > 0)); then
    echo "$E2E_FAILURES check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}
