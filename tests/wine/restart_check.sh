#!/bin/bash
# A restart that the package asks for is carried out under -silent without a
# question. Under Wine the restart ends every program of the prefix, the
# test's own included, so this is checked from outside, in a prefix of its own:
# the request as the program makes it (check_calls.py, group plugin_restart),
# the bootstrapper's exit code (0, or none when the restart ended the
# launcher first, never 7 for a refused restart), the installed package and
# the removed restart mark.
#   restart_check.sh STATE_DIR
# ORVEX_WINDOWS (64 or 32) picks the kind of Windows.
set -euo pipefail
source "$(dirname "$0")/wine_common.sh"
state=$1
skip_without_32bit "the restart check"
template=$(template_prefix "$state")
[[ -f $template/.orvex-template-ready ]] || { echo "the template fixture did not run"; exit 1; }
export WINEPREFIX=$state/prefixes/restart-${ORVEX_WINDOWS:-64}
log=$state/work/restart-${ORVEX_WINDOWS:-64}.log
rm -rf "$WINEPREFIX"
mkdir -p "$state/prefixes" "$state/work"
cp -a "$template" "$WINEPREFIX"
use_private_display
trap '"$WINESERVER" -k 2>/dev/null || true; stop_private_display; [[ ${failed:-1} != 0 ]] || rm -rf "$WINEPREFIX"' EXIT
dist=$ORVEX_DISTS_UNIX/reboot-2.0.9
relay_program_calls

failed=0
fail() { echo "FAIL: $*"; failed=1; }

timeout 120 "$WINE" "$ORVEX_LAUNCH_UNIX" --dir "$(windows_path "$dist")" \
  "$(windows_path "$ORVEX_PROGRAM_UNIX")" -silent >"$log" 2>&1 || true
grep -avE "^[0-9a-f]{4,}:[0-9a-f]{4,}:" "$log" || true
code=$(sed -n 's/^exit code: //p' "$log" | tr -d '\r')
[[ -z $code || $code == 0 ]] || fail "exit code $code (7: the restart was refused)"
grep -q -- '--- box' "$log" && fail "a box was shown under -silent"
python3 "$(dirname "$0")/check_calls.py" check "$ORVEX_PROGRAM_UNIX" plugin_restart "$log" || failed=1

"$WINE" reg query 'HKLM\Software\Velton\Browser plug-in' /v Version >/dev/null 2>&1 \
  || fail "the package was not installed"
"$WINE" reg query 'HKCU\Software\NeedBstrReboot' >/dev/null 2>&1 && fail "the restart mark is still there"

((failed == 0)) && echo "restart check passed"
exit $failed
