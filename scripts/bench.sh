#!/bin/bash
# Guards the bootstrapper's speed under Wine: it is held against the floor
# (scripts/bench/floor.c, only the calls the job cannot avoid) and against
# msiexec alone, in a fresh silent installation of the sample package and of
# one with a payload, and in the decision-only run (the same version
# installed, -silent runs nothing). hyperfine repeats every command; the
# figures replace those of docs/performance.md.
#   scripts/bench.sh [--runs N] [--payload MB] [--no-page]
#     --runs N      timed runs per command, a multiple of 5 (20)
#     --payload MB  payload of the larger package, in MiB (10)
#     --no-page     print the figures, leave the page alone
# The 64-bit program always; the 32-bit one, the one users get, only where
# Wine can start it. It installs what it needs (scripts/setup.sh), builds
# the presets and keeps its state in build/bench (BENCH_STATE moves it).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
product='{5B0E2C71-8D3A-4F69-A2C4-19E7B35D6F08}'
die() { echo "bench.sh: $*" >&2; exit 2; }
say() { echo "bench: $*" >&2; }
trap 'echo "bench.sh: line $LINENO failed" >&2' ERR

runs=20 payload=10 page=docs/performance.md
while (($#)); do
  case $1 in
    --runs) [[ ${2:-} =~ ^[1-9][0-9]*[05]$|^5$ ]] || die "--runs takes a multiple of 5"; runs=$2; shift 2 ;;
    --payload) [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || die "--payload takes whole MiB"; payload=$2; shift 2 ;;
    --no-page) page=""; shift ;;
    -h | --help) sed -n '2,14s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) die "unknown argument $1 (--help)" ;;
  esac
done

ORVEX_WINDOWS=64 source tests/wine/wine_common.sh
bits=(64) not_measured="" repeated="" hold=""
if ! runs_32bit_programs; then
  not_measured="this machine's kernel runs no 32-bit Linux programs, so Wine starts no 32-bit Windows program"
elif emulates_32bit; then
  # Its timings would be the emulator's, not Windows'.
  not_measured="here 32-bit Linux programs run under qemu's emulator, so its timings are not Windows timings"
else
  bits+=(32)
fi
[[ -z $not_measured ]] || say "the 32-bit program is not measured: $not_measured"

say "setup and build"
bash scripts/setup.sh >&2
for b in "${bits[@]}"; do
  cmake --preset "win$b" >/dev/null
  cmake --build --preset "win$b" --target orvexplugin bench_run bench_floor >/dev/null
done
commit=$(git rev-parse --short HEAD)
git diff --quiet HEAD -- . ":!docs/performance.md" || commit+=" with uncommitted changes"

state=$(realpath -m "${BENCH_STATE:-$root/build/bench}")
results=$state/results && rm -rf "$results" && mkdir -p "$results"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

say "distributions"
sample=$state/dist-sample large=$state/dist-payload
bash samples/make-dist.sh "$sample" >/dev/null
bash samples/make-dist.sh "$large" --payload "$payload" >/dev/null
# The programs under the names the release gives them.
declare -A boot_of=([32]=orvexplugin.exe [64]=orvexplugin-x64.exe)
for b in "${bits[@]}"; do
  cp "build/win$b/orvexplugin.exe" "$sample/${boot_of[$b]}"
  cp "build/win$b/orvexplugin.exe" "$large/${boot_of[$b]}"
  cp "build/win$b/scripts/bench/bench_floor.exe" "$state/floor$b.exe"
done
runner=$state/run.exe  # one for every timed command: its own cost the same on every side
cp build/win64/scripts/bench/bench_run.exe "$runner"

say "Wine prefix"
tests/wine/fixture_setup.sh "$state/wine" >/dev/null
read -r DISPLAY <"$state/wine/display"
export WINEPREFIX=$state/wine/prefix DISPLAY
cleanup() {
  [[ -n $hold ]] && kill "$hold" 2>/dev/null
  "$WINESERVER" -k 2>/dev/null || true
  tests/wine/fixture_cleanup.sh "$state/wine"
}
trap cleanup EXIT
"$WINESERVER" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
cp -a "$state/wine/template" "$WINEPREFIX"
# While it runs, Wine's desktop and services stay up for every timed start.
"$WINE64" "$runner" --hold >/dev/null 2>&1 &
hold=$!

win() { windows_path "$1"; }
# One argument each for hyperfine's own splitting (-N), which takes a
# backslash outside single quotes for an escape.
q() { local a; for a; do printf "'%s' " "${a//\'/\'\\\'\'}"; done; }
run() { "$WINE64" "$runner" "$@" >/dev/null; }
msiexec='C:\windows\system32\msiexec.exe'
# The msiexec each program starts: a 32-bit program's system32 is syswow64.
declare -A msiexec_of=([32]='C:\windows\syswow64\msiexec.exe' [64]=$msiexec)
uninstall=(--expect "0,1605" -- "$msiexec" /x "$product" /qn)
tmp=$("$WINE64" cmd /c echo %TMP% | tr -d '\r')

for b in "${bits[@]}" "${bits[@]}"; do
  run --dir "$(win "$sample")" --expect 0 -- "$(win "$sample/${boot_of[$b]}")" -silent -OrvexArgs /qn
  run "${uninstall[@]}"
done

# bench NAME PREPARE LABEL COMMAND...: each COMMAND a runner command line.
# Rounds of 5 runs, each round starting with the next command, so that a
# change in the machine's load falls on all of them alike. A round with a
# failed run (a wrong exit code, or Wine now and then failing to start a
# program) runs once more and is named on the page; a second failure ends it.
bench() {
  local name=$1 prepare=$2 labels=() commands=() round k i attempt
  shift 2
  while (($#)); do labels+=("$1") commands+=("$2"); shift 2; done
  for ((round = 1; round * 5 <= runs; round++)); do
    local args=(-N --runs 5 --export-json "$results/$name.r$round.json")
    [[ -z $prepare ]] || args+=(--prepare "$prepare")
    for ((k = 0; k < ${#labels[@]}; k++)); do
      i=$(((k + round) % ${#labels[@]}))
      args+=(-n "${labels[i]}" "$(q "$WINE64" "$runner" --times \
        "$(win "$results")\\$name.r$round.${labels[i]}.times") ${commands[i]}")
    done
    for attempt in 1 2; do
      rm -f "$results/$name.r$round".*
      echo "=== $name, round $round, attempt $attempt" >>"$results/hyperfine.log"
      hyperfine "${args[@]}" >>"$results/hyperfine.log" 2>&1 && break
      ((attempt == 1)) || die "a run of $name failed twice in round $round (see $results/hyperfine.log)"
      say "a run of $name failed in round $round: running the round again"
      repeated+="${repeated:+, }$name round $round"
    done
  done
}

# Both programs install the x64 package: the 32-bit one finds itself on
# 64-bit Windows. msiexec alone and the floor get the bootstrapper's own
# command line (install/plugin_package.cpp).
for b in "${bits[@]}"; do
  for dist in "$sample" "$large"; do
    kind=${dist##*-} d=$(win "$dist") pkg=$(win "$dist/x64/orvexcom-x64.msi")
    say "fresh install, $kind package, $b-bit program ($runs runs each)"
    bench "install-$kind-$b" "$(q "$WINE64" "$runner" "${uninstall[@]}")" \
      bootstrapper "$(q --dir "$d" --expect 0 -- "$(win "$dist/${boot_of[$b]}")" -silent -OrvexArgs /qn)" \
      msiexec "$(q --dir "$d" --expect 0 -- "${msiexec_of[$b]}" /i "$pkg" '/Lv!' \
        "$tmp\\orvexcom-x64.msi_direct$b.log" REBOOT=R ADDNPORVEX=1 /qn)" \
      floor "$(q --dir "$d" --expect 0 -- "$(win "$state/floor$b.exe")" install "$product" "$pkg" \
        "$tmp\\orvexcom-x64.msi_floor$b.log" /qn)"
  done
done

# The floor opens the package the bootstrapper's search meets first: Wine
# lists a directory sorted by name, as the glob is.
run --expect 0 -- "$msiexec" /i "$(win "$sample/x64/orvexcom-x64.msi")" ADDNPORVEX=1 REBOOT=R /qn
first=("$sample"/*/orvexcom*.msi)
[[ -f ${first[0]} ]] || die "no package in $sample"
for b in "${bits[@]}"; do
  say "decision-only run, $b-bit program ($runs runs each)"
  bench "decision-$b" "" \
    bootstrapper "$(q --dir "$(win "$sample")" --expect 0 -- "$(win "$sample/${boot_of[$b]}")" -silent)" \
    floor "$(q --dir "$(win "$sample")" --expect 0 -- "$(win "$state/floor$b.exe")" decide "$product" \
      "$(win "${first[0]}")")"
done
run "${uninstall[@]}"

cat >"$results/meta.env" <<EOF
bits=${bits[*]}
not_measured=$not_measured
payload=$payload
sample_size=$(stat -c %s "$sample/x64/orvexcom-x64.msi")
payload_size=$(stat -c %s "$large/x64/orvexcom-x64.msi")
commit=$commit
date=$(date -u '+%Y-%m-%d %H:%M UTC')
wine=$("$WINE64" --version)
cores=$(nproc)
load_before=$load_before
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
repeated=$repeated
EOF
python3 scripts/bench/report.py "$results" ${page:+"$page"}
