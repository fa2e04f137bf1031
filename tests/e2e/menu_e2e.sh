#!/usr/bin/env bash
# Popup menus end to end, without and with a window manager (openbox): the menu probe
# walked through its menus (menu_walk.sh) by mouse and keys; its printed messages in
# order, and the menu's pixels at the click.
# Usage: menu_e2e.sh PLINKARO_EXECUTABLE MENU_PROBE_EXECUTABLE
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/menu_walk.sh"

menu_pixel() {
  convert "$E2E_WORK/menu.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

check_walk() {
  walk_menu_probe "$2"
  check "$1: the probe saw the menus' messages in order" "$MENU_PROBE_PRINTED" \
    "$MENU_PROBE_EXPECTED"
  # The menu's top-left corner is at the click, its first item 3 pixels inside, lit.
  local ox oy
  read -r ox oy <<<"$MENU_PROBE_ORIGIN"
  check "$1: the menu shows at the click" "$(menu_pixel $((ox + 58)) $((oy + 80)))" 242,242,242
  check "$1: Down lights its first item" "$(menu_pixel $((ox + 58)) $((oy + 62)))" 204,232,255
}

start_x
check_walk "no window manager" "$2"

openbox --sm-disable >"$E2E_WORK/openbox.log" 2>&1 &
E2E_PIDS+=("$!")
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
within 10 wm_running || echo "openbox did not start" >&2
check_walk "openbox" "$2"
finish
