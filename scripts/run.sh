#!/usr/bin/env bash
# Installs what is missing, builds the program (release) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target plinkaro
exec build/release/app/plinkaro "$@"
