#!/bin/bash
# Measures the bootstrapper under Wine and prints one report: medians of
# repeated runs (hyperfine), all taken on this machine in one go, for the
# 32-bit program (the one users get, under WoW64 in a 64-bit prefix) and the
# 64-bit one side by side.
#   - install ratio: a silent first installation through orvexplugin.exe
#     against msiexec run directly on the same package with the same
#     properties, and against the floor (scripts/bench/floor.c: load msi.dll,
#     query the product, run the same msiexec command line), for the sample
#     package and for one with a realistic payload;
#   - decision-only run: the same version is installed and -silent runs
#     nothing, against a hello-world program and the floor (load msi.dll,
#     query the product, open the package, read both versions); peak
#     working sets;
#   - package search in a distribution directory with many sub-directories
#     (the 32-bit program);
#   - the 32-bit program: stripped size, imports, sections.
#
#   scripts/bench.sh [--runs N] [--runs64 N] [--payload MB] [--dirs N] [--ui qn|qb] [--markdown FILE]
#     --runs N         timed runs per command, a multiple of 5 (20; the search
#                      takes a quarter as many, at least 5)
#     --runs64 N       the same for the 64-bit program, to keep the bench
#                      short (half of --runs, in fives, at least 5)
#     --payload MB     payload of the realistic package, in MiB (10)
#     --dirs N         sub-directories of the search directory, above 1000
#                      (10000; it is compared with 1000)
#     --ui qn|qb       msiexec's user interface on both sides (qn: none)
#     --markdown FILE  also write the report as Markdown
# It installs what it needs (scripts/setup.sh), builds the win64 and win32
# presets, and keeps its state in build/bench (BENCH_STATE moves it). A few
# minutes; the machine should be otherwise idle for figures worth comparing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
product='{5B0E2C71-8D3A-4F69-A2C4-19E7B35D6F08}'

die() { echo "bench.sh: $*" >&2; exit 2; }
trap 'echo "bench.sh: line $LINENO failed" >&2' ERR
say() { echo "bench: $*" >&2; }

runs=20 runs64="" payload=10 dirs=10000 ui=qn markdown=""
while (($#)); do
  case $1 in
    --runs | --runs64 | --payload | --dirs | --ui | --markdown) (($# >= 2)) || die "$1 needs a value"; name=$1 value=$2; shift 2 ;;
    --*=*) name=${1%%=*} value=${1#*=}; shift ;;
    -h | --help) sed -n '2,32s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) die "unknown argument $1 (--help)" ;;
  esac
  case $name in
    --runs | --runs64) [[ $value =~ ^[0-9]+$ ]] && ((value >= 5 && value % 5 == 0)) || die "$name takes a multiple of 5"
      [[ $name == --runs ]] && runs=$value || runs64=$value ;;
    --payload) [[ $value =~ ^[0-9]+$ ]] && ((value >= 1)) || die "--payload takes whole MiB"; payload=$value ;;
    --dirs) [[ $value =~ ^[0-9]+$ ]] && ((value > 1000)) || die "--dirs takes a number above 1000"; dirs=$value ;;
    --ui) [[ $value == qn || $value == qb ]] || die "--ui takes qn or qb"; ui=$value ;;
    --markdown) markdown=$(realpath -m "$value") ;;
    *) die "unknown option $name" ;;
  esac
done
search_runs=$((runs / 20 * 5))
search_runs=$((search_runs < 5 ? 5 : search_runs))
if [[ -z $runs64 ]]; then
  runs64=$((runs / 10 * 5))
  runs64=$((runs64 < 5 ? 5 : runs64))
fi
declare -A runs_of=([32]=$runs [64]=$runs64)

say "setup and build"
bash scripts/setup.sh >&2
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
done
for preset in win64 win32; do
  cmake --build --preset "$preset" --target orvexplugin bench_run bench_hello bench_floor >/dev/null
done

state=$(realpath -m "${BENCH_STATE:-$root/build/bench}")
results=$state/results
rm -rf "$results"
mkdir -p "$results"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# --- distributions: the sample one, one with a payload, search directories
say "distributions"
small=$state/dist-small
large=$state/dist-payload
bash samples/make-dist.sh "$small" >/dev/null
bash samples/make-dist.sh "$large" --payload "$payload" >/dev/null
# The programs under the names the release gives them; the helpers per
# bitness (32, 64) in bin.
for dist in "$small" "$large"; do
  cp build/win32/orvexplugin.exe "$dist/orvexplugin.exe"
  cp build/win64/orvexplugin.exe "$dist/orvexplugin-x64.exe"
done
bin=$state/bin
mkdir -p "$bin"
for bits in 32 64; do
  for helper in run hello floor; do
    cp "build/win$bits/scripts/bench/bench_$helper.exe" "$bin/$helper$bits.exe"
  done
done

# Sub-directories d00000, d00001, ...; Wine lists a directory sorted by name,
# so a last one named zz-plugin comes last (checked below).
make_tree() {  # DIRECTORY COUNT [PACKAGE]
  local tree=$1 count=$2 package=${3:-}
  local stamp="$count ${package:+$(md5sum <"$package")}"
  [[ -f $tree.ready && $(cat "$tree.ready") == "$stamp" ]] && return
  rm -rf "$tree" "$tree.ready"
  mkdir -p "$tree"
  (cd "$tree" && seq -f 'd%05g' 0 $((count - 1)) | xargs mkdir)
  if [[ -n $package ]]; then
    mkdir "$tree/zz-plugin"
    cp "$package" "$tree/zz-plugin/"
  fi
  echo "$stamp" >"$tree.ready"
}
package_x64=$small/x64/orvexcom-x64.msi
mkdir -p "$state/search-0"
make_tree "$state/search-1000" 1000
make_tree "$state/search-$dirs" "$dirs"
make_tree "$state/search-1000-last" 1000 "$package_x64"
make_tree "$state/search-$dirs-last" "$dirs" "$package_x64"

# --- Wine: a fresh copy of the template prefix, kept warm by one program
# that runs throughout (Wine's desktop and services stay up, so every
# measured start meets the same Wine).
say "Wine prefix"
source tests/wine/wine_common.sh
tests/wine/fixture_setup.sh "$state/wine" >/dev/null
export WINEPREFIX=$state/wine/prefix
DISPLAY=$(cat "$state/wine/display")
export DISPLAY
hold_pid=""
cleanup() {
  [[ -n $hold_pid ]] && kill "$hold_pid" 2>/dev/null
  "$WINESERVER" -k 2>/dev/null || true
  tests/wine/fixture_cleanup.sh "$state/wine"
}
trap cleanup EXIT
"$WINESERVER" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
cp -a "$state/wine/template" "$WINEPREFIX"

# Every timed run goes through the 64-bit runner, so its own cost is the
# same on every side; the peak working sets need one of the program's
# bitness (bench_run.c).
runner=$bin/run64.exe
"$WINE64" "$runner" --hold >/dev/null 2>&1 &
hold_pid=$!

win() { windows_path "$1"; }
# One argument for hyperfine's own splitting (-N), which treats a backslash
# as an escape outside single quotes.
q() { local a; for a; do printf "'%s' " "${a//\'/\'\\\'\'}"; done; }
run() { "$WINE64" "$runner" "$@"; }
tmp_win=$("$WINE64" cmd /c echo %TMP% | tr -d '\r')
msiexec='C:\windows\system32\msiexec.exe'
# The msiexec each program starts: the 32-bit program's system32 path leads
# to syswow64 (file-system redirection), so the direct comparison names that
# 32-bit msiexec by its own path.
declare -A msiexec_of=([32]='C:\windows\syswow64\msiexec.exe' [64]=$msiexec)
declare -A boot_of=([32]=orvexplugin.exe [64]=orvexplugin-x64.exe)
uninstall() { run --expect 0,1605 -- "$msiexec" /x "$product" /qn >/dev/null; }
install_small() {
  run --expect 0 -- "$msiexec" /i "$(win "$package_x64")" ADDNPORVEX=1 REBOOT=R /qn >/dev/null
}

# The last name Wine lists must be the package's directory.
for count in 1000 "$dirs"; do
  last=$(run --list "$(win "$state/search-$count-last")\\*" | tr -d '\r' | tail -n 1)
  [[ $last == zz-plugin ]] || die "Wine lists $last last in search-$count-last, not zz-plugin"
done

# Warm the file cache and Wine before the first measurement.
for bits in 32 64; do
  for _ in 1 2 3; do run -- "$(win "$bin/hello$bits.exe")" >/dev/null; done
  uninstall
  run --dir "$(win "$small")" --expect 0 -- "$(win "$small/${boot_of[$bits]}")" -silent -OrvexArgs "/$ui" >/dev/null
  uninstall
done

# bench NAME RUNS PREPARE [LABEL COMMAND]...: COMMAND is a runner command
# line. The runs go in rounds of 5, the commands' order turning round each
# time, so that a change in the machine's load falls on all of them alike;
# each round exports NAME.rN.json and the runner's own timing goes to
# NAME.LABEL.rN.times (each round starts with one warm-up run). A round in
# which a run fails (a wrong exit code, or Wine failing to start a program)
# is run once more, and counted in the report; a second failure ends it all.
bench() {
  local name=$1 count=$2 prepare=$3
  shift 3
  local labels=() commands=() round order i attempt
  while (($#)); do
    labels+=("$1") commands+=("$2")
    shift 2
  done
  for ((round = 1; round * 5 <= count; round++)); do
    local args=(-N --show-output --warmup 1 --runs 5 --export-json "$results/$name.r$round.json")
    [[ -n $prepare ]] && args+=(--prepare "$prepare")
    order=("${!labels[@]}")
    ((round % 2)) || order=($(printf '%s\n' "${order[@]}" | tac))
    for i in "${order[@]}"; do
      args+=(-n "${labels[i]}"
        "$(q "$WINE64" "$runner" --times "$(win "$results/$name.${labels[i]}.r$round.times")") ${commands[i]}")
    done
    for attempt in 1 2; do
      rm -f "$results/$name".*.r$round.times
      echo "=== $name, round $round, attempt $attempt" >>"$results/hyperfine.log"
      hyperfine "${args[@]}" >>"$results/hyperfine.log" 2>&1 && break
      ((attempt == 1)) || { tail -n 20 "$results/hyperfine.log" >&2; die "hyperfine failed twice in $name (see $results/hyperfine.log)"; }
      say "a run of $name failed in round $round: running the round again (see $results/hyperfine.log)"
      echo "$name round $round" >>"$results/repeated"
    done
  done
}
prepare_uninstall=$(q "$WINE64" "$runner" --expect 0,1605 -- "$msiexec" /x "$product" /qn)

# --- install ratio. Both programs install the x64 package (the 32-bit one
# finds itself on 64-bit Windows).
for kind in small payload; do
  dist=$small
  [[ $kind == payload ]] && dist=$large
  pkg=$(win "$dist/x64/orvexcom-x64.msi")
  for bits in 32 64; do
    say "install ratio, $kind package, $bits-bit program (${runs_of[$bits]} runs each)"
    # The bootstrapper's own command line (install/plugin_package.cpp):
    # msiexec /i PACKAGE /Lv! LOG REBOOT=R ADDNPORVEX=1 /qn
    bench "install-$kind-$bits" "${runs_of[$bits]}" "$prepare_uninstall" \
      bootstrapper "$(q --dir "$(win "$dist")" --expect 0 -- "$(win "$dist/${boot_of[$bits]}")" -silent -OrvexArgs "/$ui")" \
      msiexec "$(q --dir "$(win "$dist")" --expect 0 -- "${msiexec_of[$bits]}" /i "$pkg" '/Lv!' \
        "$tmp_win\\orvexcom-x64.msi_direct$bits.log" REBOOT=R ADDNPORVEX=1 "/$ui")" \
      floor "$(q --dir "$(win "$dist")" --expect 0 -- "$(win "$bin/floor$bits.exe")" install "$product" "$pkg" \
        "$tmp_win\\orvexcom-x64.msi_floor$bits.log" "/$ui")"
  done
done
uninstall

# --- decision-only run: the same version installed, -silent runs nothing.
# The floor opens the package the bootstrapper's search finds first: the
# first sub-directory, in Wine's order, that holds an orvexcom*.msi.
install_small
decided=""
while IFS= read -r name; do
  found=("$small/$name"/orvexcom*.msi)
  [[ -f ${found[0]} ]] && { decided=${found[0]}; break; }
done < <(run --list "$(win "$small")\\*" | tr -d '\r')
[[ -n $decided ]] || die "no package found in $small"
for bits in 32 64; do
  say "decision-only run, $bits-bit program (${runs_of[$bits]} runs each)"
  bench "decision-$bits" "${runs_of[$bits]}" "" \
    bootstrapper "$(q --dir "$(win "$small")" --expect 0 -- "$(win "$small/${boot_of[$bits]}")" -silent)" \
    hello "$(q --dir "$(win "$small")" --expect 0 -- "$(win "$bin/hello$bits.exe")")" \
    floor "$(q --dir "$(win "$small")" --expect 0 -- "$(win "$bin/floor$bits.exe")" decide "$product" "$(win "$decided")")"
done
# Peak working sets: separate runs, as the runner then debugs the child.
memory() {  # BITS LABEL COMMAND...
  local bits=$1 label=$2
  shift 2
  "$WINE64" "$bin/run$bits.exe" --dir "$(win "$small")" --memory --expect 0 \
    --times "$(win "$results/memory.$label-$bits")" -- "$@"
}
for _ in 1 2 3 4 5; do
  for bits in 32 64; do
    memory "$bits" bootstrapper "$(win "$small/${boot_of[$bits]}")" -silent
    memory "$bits" hello "$(win "$bin/hello$bits.exe")"
    memory "$bits" floor "$(win "$bin/floor$bits.exe")" decide "$product" "$(win "$decided")"
  done
done

# --- package search, the 32-bit program: found last (installed, same
# version). -silent: the search and the version comparison; -reinstall: the
# same, then the search again before msiexec reinstalls.
say "package search, package in the last sub-directory ($search_runs runs each)"
boot_small=$(win "$small/orvexplugin.exe")
bench search-last "$search_runs" "" \
  "1000" "$(q --dir "$(win "$state/search-1000-last")" --expect 0 -- "$boot_small" -silent)" \
  "$dirs" "$(q --dir "$(win "$state/search-$dirs-last")" --expect 0 -- "$boot_small" -silent)" \
  "1000-reinstall" "$(q --dir "$(win "$state/search-1000-last")" --expect 0 -- "$boot_small" -silent -reinstall -OrvexArgs "/$ui")" \
  "$dirs-reinstall" "$(q --dir "$(win "$state/search-$dirs-last")" --expect 0 -- "$boot_small" -silent -reinstall -OrvexArgs "/$ui")"

# --- package search: no package (not installed: 232 after the whole search)
say "package search, no package ($search_runs runs each)"
uninstall
bench search-none "$search_runs" "" \
  "0" "$(q --dir "$(win "$state/search-0")" --expect 232 -- "$boot_small" -silent)" \
  "1000" "$(q --dir "$(win "$state/search-1000")" --expect 232 -- "$boot_small" -silent)" \
  "$dirs" "$(q --dir "$(win "$state/search-$dirs")" --expect 232 -- "$boot_small" -silent)"

# --- the 32-bit program
say "32-bit program"
program32=build/win32/orvexplugin.exe
i686-w64-mingw32-strip -o "$results/orvexplugin32.exe" "$program32"
i686-w64-mingw32-objdump -p "$results/orvexplugin32.exe" >"$results/objdump-p.txt"
i686-w64-mingw32-objdump -h "$results/orvexplugin32.exe" >"$results/objdump-h.txt"

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
cat >"$results/meta.env" <<EOF
runs=$runs
runs64=$runs64
search_runs=$search_runs
dirs=$dirs
payload=$payload
ui=$ui
load_before=$load_before
load_after=$load_after
cores=$(nproc)
wine=$("$WINE64" --version 2>/dev/null || echo unknown)
hyperfine=$(hyperfine --version)
commit=$(git rev-parse --short HEAD)$(git diff --quiet HEAD -- . 2>/dev/null || echo +changes)
date=$(date -u '+%Y-%m-%d %H:%M UTC')
small_size=$(stat -c %s "$package_x64")
payload_size=$(stat -c %s "$large/x64/orvexcom-x64.msi")
decided=${decided#"$small/"}
program32_size=$(stat -c %s "$program32")
EOF
python3 scripts/bench/report.py "$results" text
if [[ -n $markdown ]]; then
  python3 scripts/bench/report.py "$results" markdown >"$markdown"
  say "Markdown report: $markdown"
fi
