#!/usr/bin/env bash
# Installs what is missing, builds the debug preset and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset debug
cmake --build --preset debug -j"$(nproc)"
ctest --preset debug -j"$(nproc)"
