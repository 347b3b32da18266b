#!/bin/bash
# The 32-bit program rebuilt from a copy of the source (build/, dist/ and
# .git left out) in a directory of another length, later, is the same bytes
# as the tested one, as a release must be: a build path or a time in the
# program would differ. A difference is named by the first section it is in.
#   reproducible_check.sh SOURCE_DIR TESTED_PROGRAM OBJDUMP
set -euo pipefail
source=$1 tested=$2 objdump=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset SOURCE_DATE_EPOCH  # a tool that falls back to the clock must show up

# first_section A B: the first section of A (in file order) whose bytes differ in B.
first_section() {
  local name size offset
  while read -r _ name size _ _ offset _; do
    ((16#$offset)) || continue  # no bytes in the file (.bss)
    cmp -s <(tail -c +$((16#$offset + 1)) "$1" | head -c $((16#$size))) \
      <(tail -c +$((16#$offset + 1)) "$2" | head -c $((16#$size))) || { echo "$name"; return; }
  done < <("$objdump" -h "$1" | grep -E '^ +[0-9]+ ' | sort -k6)
  echo "none (the headers or the bytes after the sections)"
}

dir=$work/a/longer/directory/for/the/rebuild
mkdir -p "$dir"
tar -C "$source" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$dir" -xf -
(cd "$dir" && cmake --preset win32 -DORVEX_BUILD_TESTS=OFF >/dev/null &&
  cmake --build --preset win32 --target orvexplugin -j2 >/dev/null)
rebuilt=$dir/build/win32/orvexplugin.exe
sha256sum "$tested" "$rebuilt"
cmp "$tested" "$rebuilt" && exit 0
echo "FAIL: the rebuild differs; first differing section: $(first_section "$tested" "$rebuilt")"
exit 1
