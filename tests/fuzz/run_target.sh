#!/bin/bash
# Runs one fuzz target for SECONDS over a scratch copy of its corpus, so the
# corpus in the tree changes only when asked. A crash, leak or undefined
# behaviour fails the run; the input that caused it is kept in ARTIFACTS.
# With MERGE_INTO, inputs that add coverage are merged into that directory.
#   run_target.sh BINARY CORPUS SECONDS ARTIFACTS [MERGE_INTO]
set -euo pipefail
binary=$1 corpus=$2 seconds=$3 artifacts=$4 merge_into=${5:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$corpus"/. "$work"/
mkdir -p "$artifacts"
options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -detect_leaks=1
         -print_final_stats=1 -artifact_prefix="$artifacts/")
dict=$(dirname "$0")/$(basename "$corpus").dict
[[ -f $dict ]] && options+=(-dict="$dict")

export ASAN_OPTIONS=detect_leaks=1:${ASAN_OPTIONS:-}
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}
"$binary" "${options[@]}" "$work"

if [[ -n $merge_into ]]; then
  before=$(find "$merge_into" -type f | wc -l)
  "$binary" -merge=1 "$merge_into" "$work" 2>/dev/null
  echo "merged: $(($(find "$merge_into" -type f | wc -l) - before)) new inputs in $merge_into"
fi
