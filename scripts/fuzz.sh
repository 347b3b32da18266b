#!/bin/bash
# Runs the fuzz targets for as long as asked, one after the other.
#   scripts/fuzz.sh [--merge] [SECONDS] [TARGET...]
# SECONDS (300 unless given) is per target; without TARGET all of them run,
# one per folder of tests/fuzz/corpus. Each runs over a
# scratch copy of its corpus; with --merge the inputs that add coverage go
# into tests/fuzz/corpus/TARGET (review them before committing). The first
# failure stops the run; its input stays in build/fuzz/fuzz-artifacts/TARGET.
set -euo pipefail
cd "$(dirname "$0")/.."

merge=false seconds=300 targets=()
for argument in "$@"; do
  case $argument in
    --merge) merge=true ;;
    *[!0-9]*) targets+=("$argument") ;;
    *) seconds=$argument ;;
  esac
done
((${#targets[@]})) || mapfile -t targets < <(ls tests/fuzz/corpus)

bash scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

mkdir -p build/fuzz/fuzz-logs
for target in "${targets[@]}"; do
  binary=build/fuzz/tests/fuzz/fuzz_$target corpus=tests/fuzz/corpus/$target
  [[ -x $binary && -d $corpus ]] || { echo "fuzz: no target $target" >&2; exit 2; }
  log=build/fuzz/fuzz-logs/$target.log
  echo "=== fuzz $target for $seconds s (log: $log)"
  merge_into=()
  $merge && merge_into=("$corpus")
  if ! bash tests/fuzz/run_target.sh "$binary" "$corpus" "$seconds" "build/fuzz/fuzz-artifacts/$target" \
       "${merge_into[@]}" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $target FAILED; the input is in build/fuzz/fuzz-artifacts/$target" >&2
    exit 1
  fi
  grep -E '^Done |average_exec_per_sec|peak_rss_mb|^merged:' "$log"
done
