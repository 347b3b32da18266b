#!/bin/bash
# The main job: builds the bootstrapper (the 32-bit program users get, unless
# told otherwise) and a sample distribution, then runs the bootstrapper in
# that distribution under Wine (64-bit Windows, unless told otherwise), on a virtual
# display, answering Yes to its questions (--answer no to decline). Every box
# it shows and its full exit code are printed, then what the run left behind:
# the plug-in's installed state, the installer logs it wrote and the restart
# marker.
#
# The Wine prefix is kept between runs, so a second run meets the product
# that the first one installed (reinstall question, update, newer version).
#   scripts/run-sample.sh [OPTIONS] [--] [BOOTSTRAPPER ARGUMENTS...]
#     --fresh                         start from a clean prefix
#     --answer yes|no                 the answer to every question (yes)
#     --version V                     ProductVersion of the packages (2.0.10)
#     --variant normal|reboot|fail    how the packages install (normal)
#     --program win32|win64           the 32-bit program users get (win32) or the 64-bit one
#     --windows 64|32                 64-bit Windows, where both run (64), or 32-bit Windows;
#                                     each kind keeps a prefix of its own
# The first argument that is none of these, and all after it, go to the
# bootstrapper. ORVEX_SAMPLE_STATE moves the state directory (build/sample).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
product='{5B0E2C71-8D3A-4F69-A2C4-19E7B35D6F08}'
feature=NPORVEX

die() { echo "run-sample.sh: $*" >&2; exit 2; }
trap 'echo "run-sample.sh: line $LINENO failed" >&2' ERR

fresh=0 answer=yes dist_options=() program="" windows=64
while (($#)); do
  case $1 in
    --fresh) fresh=1; shift; continue ;;
    --answer | --version | --variant | --program | --windows) (($# >= 2)) || die "$1 needs a value"; name=$1 value=$2; shift 2 ;;
    --answer=* | --version=* | --variant=* | --program=* | --windows=*) name=${1%%=*} value=${1#*=}; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
  case $name in
    --answer) [[ $value == yes || $value == no ]] || die "--answer takes yes or no"; answer=$value ;;
    --program) [[ $value == win32 || $value == win64 ]] || die "--program takes win32 or win64"; program=$value ;;
    --windows) [[ $value == 64 || $value == 32 ]] || die "--windows takes 64 or 32"; windows=$value ;;
    *) dist_options+=("$name" "$value") ;;
  esac
done
[[ $program != win64 || $windows == 64 ]] || die "32-bit Windows runs only the 32-bit program (--program win32)"

bash scripts/setup.sh
export ORVEX_WINDOWS=$windows
source tests/wine/wine_common.sh
# Wine's 32-bit half is a 32-bit Linux program, which some machines' kernels
# cannot run: there only the 64-bit program runs, on 64-bit Windows.
probe_cc=i686-w64-mingw32-gcc probe_name=msiprobe32.exe
if ! runs_32bit_programs; then
  no32="this machine cannot run 32-bit Linux programs, so Wine starts no 32-bit Windows program"
  [[ $program != win32 && $windows == 64 ]] || die "$no32"
  [[ -n $program ]] || echo "run-sample.sh: $no32: running the 64-bit program"
  program=win64 probe_cc=x86_64-w64-mingw32-gcc probe_name=msiprobe64.exe
fi
program=${program:-win32}
cmake --preset "$program" >/dev/null
cmake --build --preset "$program" --target orvexplugin orvex_launch >/dev/null

state=$(realpath -m "${ORVEX_SAMPLE_STATE:-$root/build/sample}")
dist=$state/dist
bash samples/make-dist.sh "$dist" "${dist_options[@]}" >/dev/null
dist_version=$(msiinfo export "$dist/x64/orvexcom-x64.msi" Property | tr -d '\r' |
  awk -F'\t' '$1 == "ProductVersion" { print $2 }')
echo "sample distribution: $dist (version $dist_version)"
(cd "$dist" && find . -type f | sort | sed 's/^/  /')

# Reads the installed state of the plug-in product: msiprobe is rebuilt only
# when its source changed.
# 32-bit where it can be, so that it runs on either kind of Windows.
probe=$state/tools/$probe_name
if [[ ! -f $probe || samples/tools/msiprobe.c -nt $probe ]]; then
  mkdir -p "$state/tools"
  "$probe_cc" -municode -static -Os -s -o "$probe" samples/tools/msiprobe.c -lmsi
fi

prefix_name=prefix
((windows == 64)) || prefix_name=prefix-win32
export DISPLAY WINEPREFIX=$state/wine/$prefix_name
tests/wine/fixture_setup.sh "$state/wine" "$windows" >/dev/null
trap '"$WINESERVER" -k 2>/dev/null || true; tests/wine/fixture_cleanup.sh "$state/wine"' EXIT
DISPLAY=$(cat "$state/wine/display")
bits=${program#win}
echo "program: build/$program/orvexplugin.exe ($bits-bit$([[ $program == win32 ]] && echo ", the one users get")) on $windows-bit Windows$( ((windows == 64 && bits == 32)) && echo " (WoW64)")"
if ((fresh)) || [[ ! -d $WINEPREFIX ]]; then
  "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$WINEPREFIX.new"
  cp -a "$(template_prefix "$state/wine")" "$WINEPREFIX.new"
  mv "$WINEPREFIX.new" "$WINEPREFIX"
  echo "prefix: $WINEPREFIX (clean)"
else
  echo "prefix: $WINEPREFIX (kept from the last run; --fresh starts clean)"
fi

# Sets product_state, feature_state, installed_version and local_package;
# false when the answer was cut short.
read_product() {
  product_state="" feature_state="" installed_version="" local_package=""
  local line complete=1
  while IFS= read -r line; do
    case $line in
      product_state=*) product_state=${line#*=} ;;
      feature_state=*) feature_state=${line#*=} ;;
      VersionString=*) installed_version=${line#*=} ;;
      LocalPackage=*) local_package=${line#*=} complete=0 ;;
    esac
  done < <("$WINE" "$probe" state "$product" "$feature" 2>/dev/null | tr -d '\r')
  return $complete
}

describe_product() {
  local feature_text
  case $feature_state in
    3) feature_text=local ;;
    4) feature_text="run from source" ;;
    2) feature_text=absent ;;
    1) feature_text=advertised ;;
    *) feature_text="state ${feature_state:-unknown}" ;;
  esac
  case $product_state in
    5) echo "plug-in: installed, version $installed_version, feature $feature $feature_text" ;;
    -1) echo "plug-in: not installed" ;;
    1) echo "plug-in: advertised only (product state 1)" ;;
    2) echo "plug-in: installed for another user only (product state 2)" ;;
    *) echo "plug-in: product state ${product_state:-unknown}" ;;
  esac
}

# Sets tmp_windows, tmp_unix and marker (set or not set) besides the
# product's state; false when any answer was cut short, as it is when a
# restart under Wine ends the asking program.
read_results() {
  local complete=0 status=0
  read_product || complete=1
  tmp_windows=$("$WINE" cmd /c echo %TMP% 2>/dev/null | tr -d '\r') || true
  tmp_unix=""
  [[ -n $tmp_windows ]] && tmp_unix=$(realpath -m "$("$WINE" winepath -u "$tmp_windows" 2>/dev/null)")
  [[ -n $tmp_unix ]] || complete=1
  "$WINE" reg query 'HKCU\Software\NeedBstrReboot' >/dev/null 2>&1 || status=$?
  case $status in
    0) marker=set ;;
    1) marker="not set" ;;
    *) marker=unknown complete=1 ;;
  esac
  return $complete
}

read_product || true
echo "before the run: $(describe_product)"
if [[ $product_state == 5 && $installed_version != "$dist_version" && -n $local_package ]]; then
  cached=$("$WINE" winepath -u "$local_package" 2>/dev/null)
  if [[ -f $cached ]]; then
    echo "removing the cached package $local_package (installed $installed_version): given the $dist_version package, Wine would open this copy instead and fail with 1638; Windows opens the given file"
    rm -f "$cached"
  fi
fi

# The providers' Setup.exe stand-in appends its command line to
# %TMP%\setup-calls.log: count what is there, to show this run's lines.
calls_before=0
setup_calls=$(realpath -m "$("$WINE" winepath -u "$("$WINE" cmd /c echo %TMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)/setup-calls.log")
[[ -f $setup_calls ]] && calls_before=$(wc -l <"$setup_calls")

start_mark=$state/run-start
touch "$start_mark"
output=$state/run-output.txt
echo "running: orvexplugin.exe $*"
launch_status=0
"$WINE" "$root/build/$program/orvex_launch.exe" --answer "$answer" --dir "$(windows_path "$dist")" \
  "$(windows_path "$root/build/$program/orvexplugin.exe")" "$@" | tr -d '\r' | tee "$output" || launch_status=$?
if ! grep -q '^exit code: ' "$output"; then
  echo "exit code: not read (orvex_launch ended with $launch_status; a restart under Wine ends every program of the prefix)"
fi

echo "--- after the run"
if ! read_results; then
  echo "(a restart under Wine is ending every program of the prefix: waiting for it)"
  "$WINESERVER" -w
  read_results || echo "run-sample.sh: the prefix did not answer every question after the run" >&2
fi
describe_product
logs="" provider_logs=()
source samples/providers.sh
for provider in $(provider_dirs); do provider_logs+=(-o -name "${provider}_*.log"); done
[[ -n $tmp_unix ]] && logs=$(find "$tmp_unix" -maxdepth 1 -type f \
  \( -name 'orvexcom-*.msi_*.log' "${provider_logs[@]}" \) -newer "$start_mark" | sort)
if [[ -n $logs ]]; then
  sed 's/^/install log: /' <<<"$logs"
else
  echo "install log: none written (TMP is ${tmp_windows:-unknown})"
fi
echo "restart marker HKCU\\Software\\NeedBstrReboot: $marker"
if [[ -f $setup_calls ]] && (($(wc -l <"$setup_calls") > calls_before)); then
  tail -n +$((calls_before + 1)) "$setup_calls" | tr -d '\r' | sed 's/^/provider setup ran: /'
fi
