#!/bin/bash
# Builds everything and runs every test: the native unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer (the plain native preset
# runs the same tests, for a developer's quick round), a short run of each
# fuzz target, the static checks of both Windows programs and the Windows
# tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

start=$SECONDS
logs=$(mktemp -d)
background=()
trap '((${#background[@]} == 0)) || kill "${background[@]}" 2>/dev/null; rm -rf "$logs"' EXIT

# Where Wine starts no 32-bit Windows program, the win32 preset's Wine tests
# skip, and only its program is built: the static checks read it.
win32_targets=()
(source tests/wine/wine_common.sh && runs_32bit_programs) || win32_targets=(--target orvexplugin)

# build PRESET: false when it fails; the output kept in $logs/build-PRESET.
build() {
  {
    cmake --preset "$1" >/dev/null &&
      if [[ $1 == win32 ]]; then
        cmake --build --preset "$1" "${win32_targets[@]}"
      else
        cmake --build --preset "$1"
      fi
  } >"$logs/build-$1" 2>&1
}

# test_preset PRESET: its tests, the output kept in $logs/PRESET.
test_preset() {
  # A Wine group mostly waits for boxes and programs, each in a prefix and
  # on a display of its own: four side by side keep two cores busy.
  # Wine here now and then fails to start a process (error 1359, or no
  # output at all), whatever the program: a Wine test that fails is run once
  # more, and only a second failure counts.
  local jobs=2 repeat=()
  [[ $1 != win* ]] || jobs=4 repeat=(--repeat until-pass:2)
  ctest --preset "$1" -j"$jobs" "${repeat[@]}" >"$logs/$1" 2>&1 || true
}

# lane PRESET...: each built, then tested; a preset that does not build
# leaves no test output, and counts as failed.
lane() {
  local preset
  for preset in "$@"; do
    build "$preset" && test_preset "$preset"
  done
}

# The Wine tests of the program users get take longest and mostly wait:
# they run while the other presets build and test, in two lanes that fill
# each other's waits, at a lower priority than the longest of those tests.
echo "=== building and testing: win32, then its tests beside native-asan and fuzz, and win64"
if build win32; then
  test_preset win32 &
  background+=($!)
fi
(renice -n 10 "$BASHPID" >/dev/null; lane native-asan fuzz) &
background+=($!)
(renice -n 10 "$BASHPID" >/dev/null; lane win64) || true
wait "${background[@]}" || true
background=()

failed=()
passed_count=0 failed_count=0 skipped_count=0
for preset in native-asan fuzz win32 win64; do
  echo "=== build $preset"
  cat "$logs/build-$preset" 2>/dev/null || true
  echo "=== test $preset"
  cat "$logs/$preset" 2>/dev/null || echo "no tests ran: the build failed"
  summary=$(grep -sE 'tests passed, [0-9]+ tests failed out of [0-9]+' "$logs/$preset" | tail -1 || true)
  if [[ $summary =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    # A skipped test (a machine that cannot run it) counts as neither.
    skipped=$(grep -c '(Skipped)$' "$logs/$preset" || true)
    failed_count=$((failed_count + BASH_REMATCH[1]))
    passed_count=$((passed_count + BASH_REMATCH[2] - BASH_REMATCH[1] - skipped))
    skipped_count=$((skipped_count + skipped))
    ((BASH_REMATCH[1] == 0)) || failed+=("$preset")
  else
    failed+=("$preset")  # ctest could not run at all
  fi
done

echo "=== whole run: $((SECONDS - start)) s"
((${#failed[@]} == 0)) || echo "FAILED test presets: ${failed[*]}"
echo "total: $passed_count passed, $failed_count failed, $skipped_count skipped"
((${#failed[@]} == 0))
