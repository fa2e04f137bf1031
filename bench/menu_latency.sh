#!/usr/bin/env bash
# The time from a right click to the first frame of its context menu, through the menu
# probe under a private Xvfb server (no window manager): each click is a press, 100 ms
# held, and a release; the time runs from the release's arrival at user32 (the host event
# WM_CONTEXTMENU comes from) to the present of the menu's first painted frame, both from
# the PLINKARO_TRACE=user32 lines' clock. Reports the first menu of the process (its host
# window and font loaded while the button was held) and the median of the others.
# Usage: [CLICKS=10] bench/menu_latency.sh [MENU_PROBE_EXECUTABLE]
#        (default build/release/probes/menu_probe)
set -euo pipefail
cd "$(dirname "$0")/.."
probe=$(realpath "${1:-build/release/probes/menu_probe}")
clicks=${CLICKS:-10}
source tests/e2e/lib.sh
start_x
PLINKARO_TRACE=user32 "$probe" >"$E2E_WORK/probe.out" 2>"$E2E_WORK/trace.log" &
E2E_PIDS+=("$!")
within 10 found_window '^Menu Probe$'
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
within 10 grep -q ready "$E2E_WORK/probe.out"
for click in $(seq "$clicks"); do
  xdotool mousemove --window "$WINDOW" 50 50 mousedown 3
  sleep 0.1
  xdotool mouseup 3
  within 5 test "$(grep -c 'WM_INITMENUPOPUP main' "$E2E_WORK/probe.out")" -ge "$click"
  settle 0.2
  xdotool key Escape
  within 5 test "$(grep -c 'TrackPopupMenu returns' "$E2E_WORK/probe.out")" -ge "$click"
done
# From each release to the first present after its menu was painted, in milliseconds.
awk '
  / host right button up / { released = $NF; sub("@", "", released); waiting = 0 }
  / menu .* painted / { waiting = 1 }
  waiting && / present / { t = $NF; sub("@", "", t); print t - released; waiting = 0 }
' "$E2E_WORK/trace.log" >"$E2E_WORK/latency"
first=$(head -n 1 "$E2E_WORK/latency")
median=$(tail -n +2 "$E2E_WORK/latency" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}')
printf 'menus: %d  first: %.1f ms  median of the others: %.1f ms  (target <= 30 ms)\n' \
  "$(wc -l <"$E2E_WORK/latency")" "$first" "$median"
