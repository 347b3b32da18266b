#!/bin/bash
# A restart that the package asks for is carried out under -silent without a
# question. Under Wine the restart ends every program of the prefix, the
# test's own included, so this is checked from outside, in a prefix of its own:
# a witness program that only a restart ends, the bootstrapper's exit code
# (0, or none when the restart ended the launcher first, never 7 for a
# refused restart), the installed package and the removed restart mark.
#   restart_check.sh STATE_DIR
# ORVEX_WINDOWS (64 or 32) picks the kind of Windows.
set -euo pipefail
source "$(dirname "$0")/wine_common.sh"
state=$1
skip_without_32bit "the restart check"
template=$(template_prefix "$state")
[[ -f $template/.orvex-template-ready ]] || { echo "the template fixture did not run"; exit 1; }
export WINEPREFIX=$state/prefixes/restart-${ORVEX_WINDOWS:-64}
rm -rf "$WINEPREFIX"
mkdir -p "$state/prefixes"
cp -a "$template" "$WINEPREFIX"
use_private_display
trap '"$WINESERVER" -k 2>/dev/null || true; stop_private_display; [[ ${failed:-1} != 0 ]] || rm -rf "$WINEPREFIX"' EXIT
dist=$ORVEX_DISTS_UNIX/reboot-2.0.9

failed=0
fail() { echo "FAIL: $*"; failed=1; }

"$WINE" notepad.exe >/dev/null 2>&1 &
witness=$!
sleep 1
kill -0 "$witness" 2>/dev/null || fail "the witness did not start"

output=$(timeout 120 "$WINE" "$ORVEX_LAUNCH_UNIX" --dir "$(windows_path "$dist")" \
  "$(windows_path "$ORVEX_PROGRAM_UNIX")" -silent 2>&1) || true
echo "$output"
code=$(sed -n 's/^exit code: //p' <<<"$output" | tr -d '\r')
[[ -z $code || $code == 0 ]] || fail "exit code $code (7: the restart was refused)"
grep -q -- '--- box' <<<"$output" && fail "a box was shown under -silent"

# The restart request ends the witness at once; give it a few seconds.
for _ in $(seq 50); do kill -0 "$witness" 2>/dev/null || break; sleep 0.2; done
kill -0 "$witness" 2>/dev/null && fail "programs of the prefix still run: no restart was requested"

"$WINE" reg query 'HKLM\Software\Velton\Browser plug-in' /v Version >/dev/null 2>&1 \
  || fail "the package was not installed"
"$WINE" reg query 'HKCU\Software\NeedBstrReboot' >/dev/null 2>&1 && fail "the restart mark is still there"

((failed == 0)) && echo "restart check passed"
exit $failed
