#!/bin/bash
# Builds everything and runs every test: the native unit tests, the same
# under AddressSanitizer and UndefinedBehaviorSanitizer, the static checks of
# both Windows programs and the Windows tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

start=$SECONDS
for preset in native native-asan win32 win64; do
  echo "=== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

failed=()
for preset in native native-asan win32 win64; do
  echo "=== test $preset"
  ctest --preset "$preset" -j2 || failed+=("$preset")
done

echo "=== whole run: $((SECONDS - start)) s"
if ((${#failed[@]} > 0)); then
  echo "FAILED test presets: ${failed[*]}"
  exit 1
fi
echo "all test presets passed"
