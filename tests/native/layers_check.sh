#!/bin/bash
# Each folder includes only folders below it, in this order from the top:
# the entry and the main flow, the Windows implementations, the installation
# steps, the restart, the catalogue, the platform interfaces, the base. Only
# the entry, the one Windows-only file above them, includes the Windows
# layer. Fails naming each include that points up.
#   layers_check.sh SOURCE_DIR
set -euo pipefail
cd "$1"
layers=(app win32 install restart resources platform base)
rank() {
  local i
  for i in "${!layers[@]}"; do
    [[ $1 == "${layers[$i]}" || $1 == "${layers[$i]}"/* ]] && { echo "$i"; return; }
  done
  echo -1
}
failures=0 includes=0
while IFS=: read -r file target; do
  from=$(rank "$(dirname "$file")") to=$(rank "$(dirname "$target")")
  includes=$((includes + 1))
  if ((to >= 0 && to < from)); then
    echo "FAIL: $file includes $target, a folder above it"
    failures=$((failures + 1))
  elif [[ $target == win32/* && $file == app/* && $file != app/entry.cpp ]]; then
    echo "FAIL: $file includes $target: the main flow is portable"
    failures=$((failures + 1))
  fi
done < <(grep -rHoE '^#include "[^"]+"' "${layers[@]}" | sed -E 's/:#include "/:/; s/"$//')
echo "$includes includes in ${#layers[@]} folders, $failures pointing up"
((failures == 0))
