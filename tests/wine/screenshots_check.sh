#!/bin/bash
# Runs scripts/screenshots.sh into a scratch directory and checks that each
# picture is there, is a PNG of exactly its window's size, and that the size
# is plausible for what it shows. The pixels are not compared.
#   screenshots_check.sh BUILD_DIR STATE_DIR
set -euo pipefail
build=$1 state=$2
source "$(dirname "$0")/wine_common.sh"
skip_without_32bit "the screenshots"
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
bash "$root/scripts/screenshots.sh" --no-build --build "$build" --template "$state/template" "$out/pictures" \
  | tee "$out/log"
python3 - "$out/pictures" "$out/log" <<'PY'
import pathlib, re, struct, sys

pictures, log = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]).read_text()
windows = {m[1]: (int(m[2]), int(m[3])) for m in re.finditer(r'^shot (\S+) (\d+) (\d+)$', log, re.M)}
box, dialog = ((150, 700), (60, 300)), ((250, 500), (200, 400))  # (width, height) bounds in pixels
expected = {'question': box, 'dialog-welcome': dialog, 'dialog-options': dialog, 'provider-error': box,
            'update-question': box}
failures = []
for name, bounds in expected.items():
    png = pictures / (name + '.png')
    head = png.read_bytes()[:24] if png.is_file() else b''
    if len(head) < 24 or head[:8] != b'\x89PNG\r\n\x1a\n':
        failures.append(f'{name}: no PNG')
        continue
    size = struct.unpack('>II', head[16:24])
    if size != windows.get(name):
        failures.append(f'{name}: {size} is not the window size {windows.get(name)}')
    if not all(low <= value <= high for value, (low, high) in zip(size, bounds)):
        failures.append(f'{name}: {size} is outside {bounds}')
if windows.get('dialog-welcome') != windows.get('dialog-options'):
    failures.append('the dialog changed its size between the views')
print('\n'.join(failures) or f'{len(expected)} pictures as expected')
sys.exit(1 if failures else 0)
PY
