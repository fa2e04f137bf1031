# The menu probe's walk through its menus, shared by menu_e2e.sh and the Windows check
# (sourced after lib.sh, on a running X server): a right click at 50,50, Down (the first
# item lit; the screen is saved in $E2E_WORK/menu.png), End Up Right Enter (the submenu's
# checked first item); Shift+F10 with Shift released while the menu is up, then Escape; a
# right click, then a left click outside the menu, which reaches the window.
# MENU_PROBE_EXPECTED: what the probe prints for it after "ready", joined by '|' (Windows
# programs end their lines in CR LF; the CRs are dropped).
MENU_PROBE_EXPECTED="WM_CONTEXTMENU at 50,50|WM_ENTERMENULOOP 1|WM_INITMENU main|\
WM_INITMENUPOPUP main 0|WM_INITMENUPOPUP sound 3|WM_UNINITMENUPOPUP sound|\
WM_UNINITMENUPOPUP main|WM_EXITMENULOOP 1|TrackPopupMenu returns 1|Shift up|WM_COMMAND 201|\
WM_CONTEXTMENU from the keyboard|WM_ENTERMENULOOP 1|WM_INITMENU main|\
WM_INITMENUPOPUP main 0|WM_UNINITMENUPOPUP main|WM_EXITMENULOOP 1|TrackPopupMenu returns 0|\
Shift up|WM_CONTEXTMENU at 50,50|WM_ENTERMENULOOP 1|WM_INITMENU main|WM_INITMENUPOPUP main 0|\
WM_UNINITMENUPOPUP main|WM_EXITMENULOOP 1|TrackPopupMenu returns 1|Shift up|WM_LBUTTONDOWN|"

client_origin() {  # "x y" of the window's client area on the screen
  xwininfo -id "$WINDOW" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4} END {print x, y}'
}
printed() { grep -c "$1" "$E2E_WORK/probe.out" || true; }

# walk_menu_probe COMMAND...: runs the probe, walks it and ends it; MENU_PROBE_PRINTED
# holds what it printed after "ready", joined by '|', MENU_PROBE_ORIGIN its client area's
# "x y" on the screen.
walk_menu_probe() {
  "$@" >"$E2E_WORK/probe.out" 2>"$E2E_WORK/probe.err" &
  local pid=$!
  E2E_PIDS+=("$pid")
  within 20 found_window '^Menu Probe$' || { echo "the probe's window did not appear" >&2 && return 1; }
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  within 10 grep -q ready "$E2E_WORK/probe.out"
  MENU_PROBE_ORIGIN=$(client_origin)
  xdotool mousemove --window "$WINDOW" 50 50 click 3
  within 5 grep -q "WM_INITMENUPOPUP main" "$E2E_WORK/probe.out"
  settle 0.3
  xdotool key Down
  settle 0.3
  import -window root "$E2E_WORK/menu.png"
  xdotool key End Up Right Return
  within 5 grep -q "WM_COMMAND" "$E2E_WORK/probe.out" || true
  xdotool keydown shift key F10
  within 5 grep -q "from the keyboard" "$E2E_WORK/probe.out" || true
  settle 0.3
  xdotool keyup shift
  settle 0.2
  xdotool key Escape
  within 5 grep -q "returns 0" "$E2E_WORK/probe.out" || true
  xdotool mousemove --window "$WINDOW" 50 50 click 3
  within 5 test "$(printed 'WM_INITMENUPOPUP main')" -eq 3 || true
  settle 0.3
  xdotool mousemove --window "$WINDOW" 20 250 click 1
  within 5 grep -q WM_LBUTTONDOWN "$E2E_WORK/probe.out" || true
  MENU_PROBE_PRINTED=$(tr -d '\r' <"$E2E_WORK/probe.out" | grep -v '^ready$' | tr '\n' '|')
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
