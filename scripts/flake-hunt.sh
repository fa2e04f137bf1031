#!/usr/bin/env bash
# Runs every end-to-end test ROUNDS times (default 50: no failure in 50 bounds the flake
# rate under about 6 %) while busy loops, one per core at normal priority, load the
# machine; prints each test's passes and failures and keeps the log of every failure.
# Usage: scripts/flake-hunt.sh [ROUNDS]   (FLAKE_PRESET picks the build, debug by default;
# it must be built). Ends with 1 when any run failed or skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-50}
preset=${FLAKE_PRESET:-debug}
logs=$(mktemp -d /tmp/plinkaro-flake-hunt.XXXXXX)

mapfile -t tests < <(ctest --preset "$preset" -N -L e2e | sed -n 's/^ *Test *#[0-9]*: *//p')
((${#tests[@]} > 0)) || { echo "no end-to-end tests in the $preset build" >&2; exit 1; }

loads=()
stop_loads() {
  local pid
  for pid in "${loads[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${loads[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_loads EXIT
trap "exit 130" INT TERM
for _ in $(seq "$(nproc)"); do
  sh -c 'while :; do :; done' &
  loads+=($!)
done

declare -A passed failed skipped
for name in "${tests[@]}"; do passed[$name]=0 failed[$name]=0 skipped[$name]=0; done
for round in $(seq "$rounds"); do
  for name in "${tests[@]}"; do
    log="$logs/$name.$round.log"
    if ! ctest --preset "$preset" -R "^$name\$" --output-on-failure >"$log" 2>&1; then
      failed[$name]=$((failed[$name] + 1))
      echo "round $round: $name FAILED (log: $log)"
    elif grep -q "Skipped" "$log"; then
      skipped[$name]=$((skipped[$name] + 1))
    else
      passed[$name]=$((passed[$name] + 1))
      rm -f "$log"
    fi
  done
  echo "round $round of $rounds done"
done
stop_loads

echo "== $rounds round(s) under $(nproc) busy loop(s), the $preset build:"
bad=0
for name in "${tests[@]}"; do
  printf '%-20s %3d passed %3d failed %3d skipped\n' "$name" "${passed[$name]}" "${failed[$name]}" \
    "${skipped[$name]}"
  ((failed[$name] + skipped[$name] == 0)) || bad=1
done
((bad == 0)) && rm -rf "$logs" || echo "logs of the failures: $logs"
exit $bad
