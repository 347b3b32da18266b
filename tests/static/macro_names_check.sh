#!/bin/bash
# <windows.h> turns every function name with an A and a W form into a macro
# (GetSystemDirectory becomes GetSystemDirectoryW). A member of that name in a
# header read both with and without <windows.h> gives one class two
# definitions in one program. Fails for any such name declared in the
# headers outside win32.
#   macro_names_check.sh MINGW_INCLUDE_DIR SOURCE_DIR
set -euo pipefail
include=$1 source=$2
macros=$(grep -RhoE '^\s*#\s*define\s+[A-Za-z_][A-Za-z0-9_]*\s+__MINGW_NAME_AW\(' "$include" |
  sed -E 's/^\s*#\s*define\s+([A-Za-z0-9_]+).*/\1/' | sort -u)
((${#macros} > 0)) || { echo "FAIL: no __MINGW_NAME_AW macros found in $include"; exit 1; }
headers=$(cd "$source" && find app base install platform resources restart -name '*.h' -not -path 'win32/*')
# Each identifier that is called or declared: a name followed by "(".
names=$(cd "$source" && grep -hoE '\b[A-Za-z_][A-Za-z0-9_]*\s*\(' $headers | tr -d ' (' | sort -u)
clashes=$(comm -12 <(echo "$macros") <(echo "$names"))
echo "$(wc -l <<<"$macros") A/W macro names, $(wc -l <<<"$names") names in $(wc -w <<<"$headers") headers"
if [[ -n $clashes ]]; then
  echo "FAIL: names that <windows.h> redefines as macros: $(tr '\n' ' ' <<<"$clashes")"
  exit 1
fi
