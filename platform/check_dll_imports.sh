#!/usr/bin/env bash
# Checks that each platform DLL calls only into the DLLs it imports.
# Usage: check_dll_imports.sh NM NAME=LIBRARY:IMPORT,IMPORT ...
# A library named "base" may be used by every DLL. A symbol that a DLL leaves undefined
# and that some platform library defines must be defined by the DLL itself, the base or
# one of its imports; symbols no platform library defines (the C++ runtime, SDL2,
# FluidSynth, ...) are not the check's business. Exits 1 and names each stray symbol.
set -euo pipefail

nm_tool=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

declare -A library imports
for entry in "$@"; do
  name=${entry%%=*}
  rest=${entry#*=}
  library[$name]=${rest%:*}
  imports[$name]=${rest##*:}
done

# Strong definitions only: an inline function or template instance defined weakly in two
# libraries belongs to neither.
for name in "${!library[@]}"; do
  "$nm_tool" --defined-only -g "${library[$name]}" 2>/dev/null |
    awk 'NF == 3 && $2 ~ /^[TDBRG]$/ { print $3 }' | sort -u >"$work/$name.defined"
done
cat "$work"/*.defined | sort -u >"$work/all.defined"

status=0
for name in "${!library[@]}"; do
  [[ $name == base ]] && continue
  allowed=("$work/$name.defined")
  [[ -n ${library[base]:-} ]] && allowed+=("$work/base.defined")
  IFS=, read -r -a declared <<<"${imports[$name]}"
  for imported in "${declared[@]}"; do
    if [[ -z ${library[$imported]:-} ]]; then
      echo "$name imports $imported, which is not a platform DLL" >&2
      status=1
      continue
    fi
    allowed+=("$work/$imported.defined")
  done
  sort -u "${allowed[@]}" >"$work/$name.allowed"
  "$nm_tool" -u "${library[$name]}" | awk 'NF == 2 && $1 == "U" { print $2 }' | sort -u |
    comm -12 - "$work/all.defined" | comm -23 - "$work/$name.allowed" >"$work/$name.stray"
  if [[ -s $work/$name.stray ]]; then
    echo "$name uses what it does not import (${imports[$name]:-nothing}):" >&2
    c++filt <"$work/$name.stray" | sed 's/^/  /' >&2
    status=1
  fi
done
[[ $status == 0 ]] && echo "every DLL uses only what it imports"
exit "$status"
