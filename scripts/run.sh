#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts Plinkaro.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
if [[ ! -x build/release/app/plinkaro ]]; then
  echo "Built the live-play core and its tests; the program's window arrives next, so there is nothing to start yet."
  exit 0
fi
exec build/release/app/plinkaro "$@"
