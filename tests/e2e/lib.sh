# Shared steps of the end-to-end tests: a private X server, the real program with the
# MIDI log device, keys through xdotool and pixels from screenshots.
# Sourced by the test scripts; they run under `set -euo pipefail`.

E2E_WORK=$(mktemp -d /tmp/plinkaro-e2e.XXXXXX)
E2E_FAILURES=0
PLINKARO_PID=""
E2E_PIDS=()  # every program started, so that none outlives the test
XVFB_PID=""

# Ends what is still running: politely, then by force (a program that hangs).
e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for _ in $(seq 20); do
    local alive=0
    for pid in "${E2E_PIDS[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1; done
    ((alive)) || break
    sleep 0.1
  done
  for pid in "${E2E_PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
  if ((E2E_FAILURES == 0)); then rm -rf "$E2E_WORK"; else echo "kept $E2E_WORK for inspection"; fi
}
trap e2e_cleanup EXIT

# Starts Xvfb on the first free display number from 90, with the server's built-in fonts
# only: nothing may rely on X core fonts that a fresh machine lacks.
start_x() {
  local number
  for number in $(seq 90 140); do
    [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]] && continue
    # Built-in fonts only: nothing here may rely on X core fonts.
    Xvfb ":$number" -screen 0 1024x900x24 -nolisten tcp -noreset -fp built-ins \
      >"$E2E_WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$number"
    for _ in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && return 0
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null || true
  done
  echo "could not start Xvfb" >&2
  return 1
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
  for _ in $(seq 200); do
    WINDOW=$(xdotool search --onlyvisible --name '^Plinkaro$' 2>/dev/null | head -n 1 || true)
    if [[ -n "$WINDOW" ]]; then
      xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
      sleep 0.3  # the first paint
      return 0
    fi
    sleep 0.05
  done
  echo "the Plinkaro window did not appear" >&2
  cat "$E2E_WORK/plinkaro.out" >&2
  return 1
}

# Lets the program take input and paint: a few redraw ticks.
settle() { sleep "${1:-0.15}"; }

shoot() { import -window "$WINDOW" "$E2E_WORK/shot.png"; }

# crop_signature X Y W H: a hash of that part of the last screenshot.
crop_signature() {
  convert "$E2E_WORK/shot.png" -crop "$3x$4+$1+$2" +repage -format '%#' info:
}

# Shown windows without a title other than the root and the program's window: a message
# box (it has an empty caption and no window manager runs here).
other_windows() {
  local root
  root=$(printf '%d' "$(xwininfo -root | awk '/Window id/ {print $4}')")
  xdotool search --onlyvisible --name '^$' 2>/dev/null | grep -vx -e "$root" -e "$WINDOW" || true
}

# pixel X Y: "r,g,b" of the last screenshot.
pixel() {
  convert "$E2E_WORK/shot.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

check() {  # check NAME ACTUAL EXPECTED
  if [[ "$2" == "$3" ]]; then
    echo "ok   $1"
  else
    echo "FAIL $1: got '$2', expected '$3'"
    E2E_FAILURES=$((E2E_FAILURES + 1))
  fi
}

check_pixel() {  # check_pixel NAME X Y R,G,B
  check "$1" "$(pixel "$2" "$3")" "$4"
}

# MIDI log lines without their times, from line N on (1-based).
midi_calls_from() { tail -n "+$1" "$MIDI_LOG" | cut -d' ' -f2-; }
midi_line_count() { wc -l <"$MIDI_LOG"; }

key() { xdotool key --window "$WINDOW" "$@"; }
keydown() { xdotool keydown "$@"; }
keyup() { xdotool keyup "$@"; }

# check_message_box TEXT: the program (started with PLINKARO_TRACE=user32) shows a box with
# TEXT and the empty caption, its text is drawn, and Return closes it.
check_message_box() {
  local box="" root dark
  root=$(xwininfo -root -int | sed -n 's/.*Window id: \([0-9]*\).*/\1/p')
  shown_boxes() { xdotool search --onlyvisible --name '^$' 2>/dev/null | grep -vx "$root" || true; }
  for _ in $(seq 100); do
    box=$(shown_boxes | head -n 1)
    [[ -n "$box" ]] && break
    sleep 0.05
  done
  check "a message box appears" "$([[ -n "$box" ]] && echo shown || echo none)" shown
  [[ -n "$box" ]] || return 0
  check "it says \"$1\"" "$(grep -c "message box caption \"\" text \"$1\"" "$E2E_WORK/plinkaro.out")" 1
  settle
  import -window "$box" "$E2E_WORK/box.png"
  # Dark pixels in its upper half, above the button's band: the text is drawn.
  dark=$(convert "$E2E_WORK/box.png" -crop 100%x50%+0+0 +repage -colorspace Gray -threshold 50% \
    -format '%[fx:int(w*h*(1-mean))]' info:)
  check "its text is drawn" "$((dark > 20))" 1
  xdotool key Return
  for _ in $(seq 100); do
    shown_boxes | grep -qx "$box" || break
    sleep 0.05
  done
  check "Return closes it" "$(shown_boxes | grep -cx "$box" || true)" 0
}

finish() {
  if ((E2E_FAILURES > 0)); then
    echo "$E2E_FAILURES check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}
