#!/bin/bash
# Takes pictures of the bootstrapper's boxes and dialog (the 32-bit program
# users get, on 64-bit Windows, unless --build names another) under Wine, on a
# virtual display of its own and in Russian, as users see them, and writes
# them as PNG files, each cropped to its window (frame and caption included):
#   question.png         the confirmation question
#   dialog-welcome.png   the CSP configuration dialog, welcome view
#   dialog-options.png   the same dialog, options view
#   provider-error.png   the CSP's setup program ended with 3010
#   update-question.png  the plug-in is installed at the package's version
# For each it prints "shot NAME WIDTH HEIGHT", the size of the window.
#   scripts/screenshots.sh [--no-build] [--build DIR] [--template PREFIX] [OUTDIR]
#   --no-build   orvexplugin.exe, orvex_snap.exe and the sample distributions
#                are already built in DIR (default build/win32)
#   --template   a ready Wine prefix to copy rather than make one
#   OUTDIR       default docs/
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/win32
template=""
outdir=$root/docs
build_first=1
while (($#)); do
  case $1 in
    --no-build) build_first=0; shift ;;
    --build) build=$(realpath "$2"); shift 2 ;;
    --template) template=$(realpath "$2"); shift 2 ;;
    -*) sed -n '11,15s/^# \?//p' "$0" >&2; exit 2 ;;
    *) outdir=$1; shift ;;
  esac
done

if ((build_first)); then
  bash scripts/setup.sh
  preset=$(basename "$build")
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target orvexplugin orvex_snap orvex_dists >/dev/null
fi
mkdir -p "$outdir"
outdir=$(realpath "$outdir")

source tests/wine/wine_common.sh
state=$build/screenshots
work=$(mktemp -d)
mkdir -p "$state"
if [[ -n $template ]]; then
  rm -rf "$state/template"
  cp -a "$template" "$state/template"
fi
tests/wine/fixture_setup.sh "$state" >/dev/null
trap '"$WINESERVER" -k 2>/dev/null || true; tests/wine/fixture_cleanup.sh "$state"; rm -rf "$work" "$state/prefix"; [[ -z $template ]] || rm -rf "$state/template"' EXIT
export DISPLAY WINEPREFIX=$state/prefix
DISPLAY=$(cat "$state/display")
rm -rf "$WINEPREFIX"
cp -a "$state/template" "$WINEPREFIX"
# Wine's own Tahoma and Marlett (caption buttons) from fonts-wine: this Wine
# finds them only in the prefix. Without them other fonts stand in.
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null \
  || echo "screenshots: fonts-wine is missing, other fonts stand in" >&2

# snap EXIT_CODE ARGUMENTS STEP...: runs the program in the sample
# distribution through orvex_snap.exe (see tests/wine/snap.cpp) and checks
# how it ended. The Russian locale gives Wine's own buttons Russian texts.
snap() {
  local expected=$1 output
  shift
  output=$(env LC_ALL=ru_RU.UTF-8 "$WINE64" "$build/orvex_snap.exe" "$(windows_path "$work")" \
    "$(windows_path "$build/dists/normal-2.0.10")" "$(windows_path "$build/orvexplugin.exe")" "$@" | tr -d '\r')
  grep '^shot ' <<<"$output" || true
  [[ $output == *"exit $expected" ]] || { echo "screenshots: orvexplugin.exe $1: $output" >&2; exit 1; }
}
snap 0 "" box shot:question press:7
snap 0 "-csp -selectDlg" box press:6 box shot:dialog-welcome click:1015 shot:dialog-options press:2
ORVEX_STUB_EXIT_CSP=3010 snap 3010 "-csp" box press:6 box shot:provider-error press:1
snap 0 "-silent"
snap 1602 "" box press:6 box shot:update-question press:7

# PPM to PNG with the standard library alone.
python3 - "$work" "$outdir" <<'EOF'
import pathlib, struct, sys, zlib

def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))

source, target = map(pathlib.Path, sys.argv[1:])
for ppm in sorted(source.glob('*.ppm')):
    magic, width, height, depth, pixels = ppm.read_bytes().split(maxsplit=4)
    assert magic == b'P6' and depth == b'255', ppm
    width, height = int(width), int(height)
    rows = b''.join(b'\0' + pixels[y * width * 3:(y + 1) * width * 3] for y in range(height))
    header = struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)
    (target / (ppm.stem + '.png')).write_bytes(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                                               chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b''))
EOF
echo "screenshots: written to $outdir"
