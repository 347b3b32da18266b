#!/bin/bash
# Runs one group of Windows tests in a fresh copy of the template prefix.
#   run_group.sh STATE_DIR GROUP [--windows 64|32] [--winver VERSION] [--locale LOCALE] -- PROGRAM [ARGUMENTS...]
# --windows picks the template prefix: 64-bit Windows (the default) or 32-bit.
# --locale sets LC_ALL for every Wine process of the group: Wine takes the
# system and user-interface languages from it (the locale need not be
# generated), not from the prefix's registry.
# The program sees ORVEX_WORK, a scratch directory of the group, and each
# ORVEX_<NAME>_UNIX of the environment as ORVEX_<NAME>, as Windows paths,
# and ORVEX_PACKAGE_ARCH, the package flavour that Windows of this kind needs
# (x64 or win32), which the tests expect the program to choose.
set -euo pipefail
state=$1 group=$2
shift 2
winver="" locale=""
export ORVEX_WINDOWS=64
while [[ $1 != -- ]]; do
  case $1 in
    --windows) ORVEX_WINDOWS=$2; shift 2 ;;
    --winver) winver=$2; shift 2 ;;
    --locale) locale=$2; shift 2 ;;
    *) echo "unknown option $1"; exit 2 ;;
  esac
done
shift
source "$(dirname "$0")/wine_common.sh"
# Windows takes local time from its own zone setting, Wine from TZ: a zone
# far from UTC and off the whole hour, so that a time taken in UTC shows.
export TZ=Pacific/Chatham
# Heap damage ends a program on Windows (0xC0000374, as the program asks);
# Wine only reports it on its heap channel. The tests turn that on for each
# program they start, each line headed by its process id, and name the
# process ("program process ID"); Wine's own programs may report what they like.
relay_program_calls
wine=("$WINE")
[[ -z $locale ]] || wine=(env "LC_ALL=$locale" "$WINE")
export ORVEX_PACKAGE_ARCH=$PACKAGE_ARCH
skip_without_32bit "group $group"

template=$(template_prefix "$state")
[[ -f $template/.orvex-template-ready ]] || { echo "the template fixture did not run"; exit 1; }
export WINEPREFIX=$state/prefixes/$group
rm -rf "$WINEPREFIX" "$state/work/$group"
mkdir -p "$state/prefixes" "$state/work/$group"
cp -a "$template" "$WINEPREFIX"
use_private_display
trap '"$WINESERVER" -k 2>/dev/null || true; stop_private_display' EXIT

if [[ -n $winver ]]; then
  "${wine[@]}" winecfg -v "$winver"
fi

# Every ORVEX_<NAME>_UNIX path reaches the tests as ORVEX_<NAME>, a Windows path.
while IFS='=' read -r name value; do
  [[ $name =~ ^ORVEX_(.+)_UNIX$ ]] && export "ORVEX_${BASH_REMATCH[1]}=$(windows_path "$value")"
done < <(env)
ORVEX_WORK=$(windows_path "$state/work/$group")
export ORVEX_WORK

status=0
output=$state/work/$group.log
"${wine[@]}" "$@" 2>&1 | tee "$output" || status=$?
pids=$(sed -n 's/.*program process \([0-9a-f]\{4,\}\).*/\1/p' "$output" | sort -u | paste -sd'|')
if [[ -n $pids ]] && grep -aE "($pids):[0-9a-f]+:(warn|err):heap:" "$output"; then
  echo "run_group: the program damaged its heap; Windows would have ended it"
  status=1
fi
python3 "$(dirname "$0")/check_calls.py" check "$ORVEX_PROGRAM_UNIX" "${group%-win32}" "$output" || status=1
# A filter that matches no test would pass silently; a group must run some.
if ((status == 0)) && ! grep -Eq '^\[  PASSED  \] [1-9][0-9]* tests?\.' "$output"; then
  echo "run_group: no test ran in group $group"
  status=1
fi
# A prefix takes about 700 MB: only a failed group's is kept, to look into.
if ((status == 0)); then
  "$WINESERVER" -k 2>/dev/null && "$WINESERVER" -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
exit $status
