#!/bin/bash
# The main job: builds the 64-bit bootstrapper and a sample distribution,
# then runs the bootstrapper in that distribution under Wine, on a virtual
# display, answering Yes to its questions (--answer no to decline). Every box
# it shows and its full exit code are printed.
#   scripts/run-sample.sh [--answer yes|no] [BOOTSTRAPPER ARGUMENTS...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
answer=yes
if [[ ${1:-} == --answer ]]; then
  answer=$2
  shift 2
fi

bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target orvexplugin orvex_launch >/dev/null

state=$root/build/sample
dist=$state/dist
bash samples/make-dist.sh "$dist" >/dev/null
echo "sample distribution: $dist"
(cd "$dist" && find . -type f | sort | sed 's/^/  /')

source tests/wine/wine_common.sh
tests/wine/fixture_setup.sh "$state/wine" >/dev/null
trap '"$WINESERVER" -k 2>/dev/null || true; tests/wine/fixture_cleanup.sh "$state/wine"' EXIT
export DISPLAY WINEPREFIX=$state/wine/prefix
DISPLAY=$(cat "$state/wine/display")
rm -rf "$WINEPREFIX"
cp -a "$state/wine/template" "$WINEPREFIX"

echo "running: orvexplugin.exe $*"
"$WINE64" "$root/build/win64/orvex_launch.exe" --answer "$answer" --dir "$(windows_path "$dist")" \
  "$(windows_path "$root/build/win64/orvexplugin.exe")" "$@"
