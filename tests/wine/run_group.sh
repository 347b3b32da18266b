#!/bin/bash
# Runs one group of Windows tests in a fresh copy of the template prefix.
#   run_group.sh STATE_DIR GROUP [--winver VERSION] -- PROGRAM [ARGUMENTS...]
# The program sees ORVEX_PROGRAM (the bootstrapper) and ORVEX_WORK (a
# scratch directory of the group) as Windows paths.
set -euo pipefail
source "$(dirname "$0")/wine_common.sh"
state=$1 group=$2
shift 2
winver=""
while [[ $1 != -- ]]; do
  case $1 in
    --winver) winver=$2; shift 2 ;;
    *) echo "unknown option $1"; exit 2 ;;
  esac
done
shift

[[ -f $state/display ]] || { echo "the display fixture did not run"; exit 1; }
export DISPLAY
DISPLAY=$(cat "$state/display")
export WINEPREFIX=$state/prefixes/$group
rm -rf "$WINEPREFIX" "$state/work/$group"
mkdir -p "$state/prefixes" "$state/work/$group"
cp -a "$state/template" "$WINEPREFIX"
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT

if [[ -n $winver ]]; then
  "$WINE64" winecfg -v "$winver"
fi

ORVEX_PROGRAM=$(windows_path "$ORVEX_PROGRAM_UNIX")
ORVEX_WORK=$(windows_path "$state/work/$group")
export ORVEX_PROGRAM ORVEX_WORK

status=0
"$WINE64" "$@" || status=$?
exit $status
