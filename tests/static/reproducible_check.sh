#!/bin/bash
# The 32-bit program rebuilt from the same source, in other directories and
# at another time, is the same bytes as the tested one, as a release must be.
# Two copies of the source (build/, dist/ and .git left out) are configured
# and built with the win32 preset one after the other; a difference is named
# by the PE header field or section where it starts.
#   reproducible_check.sh SOURCE_DIR TESTED_PROGRAM
set -euo pipefail
source=$1 tested=$2
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Without it, a tool that falls back to the clock shows up as a difference.
unset SOURCE_DATE_EPOCH

failed=0
programs=()
# Directories of different lengths: a path in the program moves what follows.
for dir in a longer/directory/for/the/second/build; do
  mkdir -p "$work/$dir"
  tar -C "$source" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$work/$dir" -xf -
  (cd "$work/$dir" && cmake --preset win32 -DORVEX_BUILD_TESTS=OFF >/dev/null &&
    cmake --build --preset win32 --target orvexplugin -j2 >/dev/null)
  programs+=("$work/$dir/build/win32/orvexplugin.exe")
  if grep -Fqa "$work" "${programs[-1]}"; then
    echo "FAIL: the program built in $work/$dir holds its build path"
    failed=1
  fi
done

for program in "${programs[1]}" "$tested"; do
  sha256sum "${programs[0]}" "$program"
  if ! python3 "$here/pe_diff.py" "${programs[0]}" "$program" >"$work/diff"; then
    echo "FAIL: $program differs from ${programs[0]}"
    cat "$work/diff"
    failed=1
  fi
done
((failed == 0)) && echo "reproducible: the same bytes three times"
exit $failed
