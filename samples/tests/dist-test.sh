#!/usr/bin/env bash
# Checks that make-dist.sh builds what the bootstrapper's tests rely on: its
# command line and the package tables (msiinfo). How msiexec treats each
# variant (install, update, restart request, failure) and the Setup.exe
# stand-in are seen by the Wine groups, which run the program on them.
set -uo pipefail

samples="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
P='{5B0E2C71-8D3A-4F69-A2C4-19E7B35D6F08}'
COMP='{A7D2F4E6-3B51-4C8A-9E07-6F2B81C5D934}'
passed=0 failed=0

# check DESCRIPTION ACTUAL EXPECTED
check() {
    if [[ "$2" == "$3" ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAIL: %s\n  expected: %s\n  got:      %s\n' "$1" "$3" "$2"
    fi
}
row() { msiinfo export "$1" "$2" | tr -d '\r' | awk -F'\t' -v k="$3" 'NR > 3 && $1 == k'; }

make_dist() { "$samples/make-dist.sh" "$@" >/dev/null 2>"$work/err" || { cat "$work/err"; return 1; }; }
for v in normal reboot fail; do make_dist "$work/$v" --variant "$v" || exit 1; done
make_dist "$work/old" --version 2.0.9 || exit 1
make_dist "$work/payload" --payload 1 || exit 1

# --- command line --------------------------------------------------------
"$samples/make-dist.sh" "$work/bad" --variant broken >/dev/null 2>&1
check "unknown variant is refused" "$?:$(test -e "$work/bad" && echo made)" "1:"
"$samples/make-dist.sh" "$work/bad" --version 2.0.70000 >/dev/null 2>&1
check "version beyond 255.255.65535 is refused" "$?" 1
"$samples/make-dist.sh" "$work/bad" --payload 1.5 >/dev/null 2>&1
check "payload in parts of a MiB is refused" "$?" 1
touch "$work/normal/orvexplugin.exe" "$work/normal/x64/stale.msi"
make_dist "$work/normal"
source "$samples/providers.sh"
check "rerun keeps foreign files, replaces its own" \
    "$(cd "$work/normal" && find . -type f | sort | tr '\n' ' ')" \
    "$({ printf './%s/Setup.exe\n' $(provider_dirs); printf './%s\n' orvexplugin.exe win32/orvexcom-win32.msi \
        x64/orvexcom-x64.msi; } | sort | tr '\n' ' ')"

# --- package tables ------------------------------------------------------
for arch in x64 win32; do
    msi="$work/normal/$arch/orvexcom-$arch.msi"
    check "$arch ProductCode" "$(row "$msi" Property ProductCode)" "ProductCode	$P"
    check "$arch ProductVersion" "$(row "$msi" Property ProductVersion)" "ProductVersion	2.0.10"
    check "$arch Cyrillic ProductName" "$(row "$msi" Property ProductName)" "ProductName	Велтон ЭЦП Browser plug-in"
    check "$arch Cyrillic Manufacturer" "$(row "$msi" Property Manufacturer)" "Manufacturer	Велтон"
    check "$arch component GUID" "$(row "$msi" Component NpOrvexComp | cut -f2)" "$COMP"
    check "$arch component in NPORVEX" "$(row "$msi" FeatureComponents NPORVEX)" "NPORVEX	NpOrvexComp"
    check "$arch ADDNPORVEX condition" "$(row "$msi" Condition NPORVEX)" "NPORVEX	1	ADDNPORVEX"
done
check "x64 component is 64-bit" "$(row "$work/normal/x64/orvexcom-x64.msi" Component NpOrvexComp | cut -f4)" 256
check "win32 component is 32-bit" "$(row "$work/normal/win32/orvexcom-win32.msi" Component NpOrvexComp | cut -f4)" 0
check "x64 platform" "$(msiinfo suminfo "$work/normal/x64/orvexcom-x64.msi" | sed -n 's/^Template: //p')" "x64;1049"
check "win32 platform" "$(msiinfo suminfo "$work/normal/win32/orvexcom-win32.msi" | sed -n 's/^Template: //p')" "Intel;1049"
check "old version" "$(row "$work/old/x64/orvexcom-x64.msi" Property ProductVersion)" "ProductVersion	2.0.9"
# The benchmark's payload: 36 more files of 1 MiB in all, in the plug-in
# feature; the sample distribution has none of it.
files() { msiinfo export "$1" File | tr -d '\r' | awk -F'\t' 'NR > 3 { n++; s += $4 } END { print n " files, " s " bytes" }'; }
check "sample package files" "$(files "$work/normal/x64/orvexcom-x64.msi")" "1 files, $(stat -c %s "$samples/npOrvex.txt") bytes"
check "payload package files" "$(files "$work/payload/x64/orvexcom-x64.msi")" \
    "37 files, $((1048576 + $(stat -c %s "$samples/npOrvex.txt"))) bytes"
check "payload in NPORVEX" "$(msiinfo export "$work/payload/win32/orvexcom-win32.msi" FeatureComponents | tr -d '\r' | grep -c '^NPORVEX	Payload')" 36
for v in normal reboot fail; do
    msi="$work/$v/x64/orvexcom-x64.msi"
    check "$v: ScheduleReboot only in reboot" "$(row "$msi" InstallExecuteSequence ScheduleReboot | wc -l)" \
        "$([[ $v == reboot ]] && echo 1 || echo 0)"
    check "$v: error action only in fail" "$(row "$msi" CustomAction OrvexSampleFail | cut -f2)" \
        "$([[ $v == fail ]] && echo 19)"
done

echo "$passed passed, $failed failed"
((failed == 0))
