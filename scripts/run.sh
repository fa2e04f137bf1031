#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts Plinkaro.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
exec build/release/app/plinkaro "$@"
