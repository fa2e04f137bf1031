#!/usr/bin/env bash
# Renders docs/screenshot.png: the real program under a private Xvfb server, with a chord
# held on channel 1 (the current one) and channel 3 transposed.
# Usage: tools/screenshot.sh [PLINKARO_EXECUTABLE]   (default build/release/app/plinkaro)
set -euo pipefail
cd "$(dirname "$0")/.."
app=$(realpath "${1:-build/release/app/plinkaro}")
source tests/e2e/lib.sh

start_x
start_plinkaro "$app"
key 3 Up Right
key 1
for note in z c b comma; do keydown "$note"; done
settle 0.3
shoot
for note in z c b comma; do keyup "$note"; done
cp "$E2E_WORK/shot.png" docs/screenshot.png
echo "wrote docs/screenshot.png"
