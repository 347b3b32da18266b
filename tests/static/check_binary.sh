#!/bin/bash
# Static checks of a built program: what it imports, how big it is, which
# subsystem it asks for. Used for the 32-bit program, which cannot run here.
#   check_binary.sh OBJDUMP STRIP PROGRAM MAX_STRIPPED_BYTES
set -euo pipefail
objdump=$1 strip=$2 program=$3 max_bytes=$4
allowed="kernel32.dll user32.dll advapi32.dll shell32.dll msvcrt.dll"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

headers=$("$objdump" -p "$program")

imports=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$headers" | sort -u)
echo "imports: $(tr '\n' ' ' <<<"$imports")"
for dll in $imports; do
  [[ " $allowed " == *" $dll "* ]] || fail "imports $dll, which is not one of: $allowed"
done
grep -q '^msi\.dll$' <<<"$imports" && fail "msi.dll must be loaded at run time, not imported"

# IsUserAnAdmin exists only as ordinal 680 on Windows 2000.
shell32=$(awk '/DLL Name:/ {in_dll = (tolower($3) == "shell32.dll")} in_dll' <<<"$headers")
# The lookup entry has the ordinal flag (top bit) set and holds 0x2a8.
grep -Eq '^\s*80+2a8\s' <<<"$shell32" || fail "IsUserAnAdmin is not imported by ordinal 680"
grep -q 'IsUserAnAdmin' <<<"$shell32" && fail "IsUserAnAdmin is imported by name"

# The 64-bit time and file functions of msvcrt.dll came after Windows 2000,
# where an import of one would stop the program from starting.
msvcrt=$(awk '/DLL Name:/ {in_dll = (tolower($3) == "msvcrt.dll")} in_dll && NF >= 3 {print $3}' <<<"$headers")
late=$(grep -E '(time|stat|find[a-z]*|utime)(32)?i?64' <<<"$msvcrt" | tr '\n' ' ' || true)
[[ -z $late ]] || fail "imports msvcrt functions that Windows 2000 lacks: $late"

# The 32-bit program is the one Windows 2000 and XP run: nothing it imports
# may be missing there, and its header must not ask for a later system.
if grep -q 'file format pei-i386' < <("$objdump" -f "$program"); then
  late_list=$(dirname "$0")/late_functions.txt
  names=$(awk '/DLL Name:/ {in_dll = 1} in_dll && NF >= 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' <<<"$headers" | sort -u)
  late=$(grep -vE '^(#|$)' "$late_list" | sort -u | comm -12 - <(echo "$names") | tr '\n' ' ')
  [[ -z $late ]] || fail "imports functions that Windows 2000 SP4 or XP SP2 lacks: $late"
  for field in Subsystem OSystem; do
    major=$(awk -v f="Major${field}Version" '$1 == f {print $2}' <<<"$headers")
    minor=$(awk -v f="Minor${field}Version" '$1 == f {print $2}' <<<"$headers")
    ((major < 5 || (major == 5 && minor == 0))) || fail "the header asks for ${field} version $major.$minor, later than Windows 2000 (5.0)"
  done
fi

# It runs elevated: keep address-space randomisation and no-execute data.
for flag in DYNAMIC_BASE NX_COMPAT; do
  grep -q "^\s*$flag\$" <<<"$headers" || fail "built without $flag"
done

grep -Eq '^Subsystem\s+0*2\b' <<<"$headers" || fail "not a graphical-subsystem program"

# Rebuilt from the same source it must be the same bytes: no link time in
# the header, no debug directory (it holds another time stamp).
pe=$(od -An -tu4 -j60 -N4 "$program")
stamp=$(od -An -tx4 -j$((pe + 8)) -N4 "$program" | tr -d ' ')
[[ $stamp == 00000000 ]] || fail "TimeDateStamp is 0x$stamp, not 0: the link time is in the program"
grep -Eq '^Entry 6 0+ 0+ Debug Directory' <<<"$headers" || fail "the program has a debug directory"

stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
"$strip" -o "$stripped" "$program"
size=$(stat -c %s "$stripped")
echo "stripped size: $size bytes (limit $max_bytes)"
((size <= max_bytes)) || fail "stripped program is $size bytes, over the limit of $max_bytes"

if ((failures == 0)); then echo "all static checks passed"; fi
exit $((failures != 0))
