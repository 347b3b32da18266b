#!/bin/bash
# The main job still works: scripts/run-sample.sh, with the 32-bit program
# users get, installs the plug-in silently in a clean prefix (a package that
# asks for a restart, kept pending by -norestart), then updates it in the
# prefix it kept, then installs on 32-bit Windows, and reports each run as
# documented.
#   run_sample_test.sh STATE_DIR [TEMPLATE_PREFIX]
# A ready template prefix, when given, is copied in once instead of making one.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/wine/wine_common.sh"
export ORVEX_SAMPLE_STATE=$1
if [[ -n ${2:-} && -f $2/.orvex-template-ready && ! -d $1/wine/template ]]; then
  mkdir -p "$1/wine"
  cp -a "$2" "$1/wine/template"
fi
passed=0 failed=0

# expect RUN OUTPUT LINE_PATTERN: one whole line of OUTPUT matches.
expect() {
  if grep -Eqx -- "$3" <<<"$2"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $1: no line matching: $3"
  fi
}

# Where the machine runs no 32-bit Linux program, the script runs the 64-bit
# program instead, and 32-bit Windows cannot be had.
program='build/win32/orvexplugin\.exe \(32-bit, the one users get\) on 64-bit Windows \(WoW64\)'
runs_32bit_programs || program='build/win64/orvexplugin\.exe \(64-bit\) on 64-bit Windows'

log='install log: /.*/drive_c/users/[^/]+/Temp/orvexcom-x64\.msi_[0-9]{4}(-[0-9]{2}){5}\.log'
first=$("$root/scripts/run-sample.sh" --fresh --variant reboot -silent -norestart 2>&1)
echo "$first"
expect first "$first" "program: $program"
expect first "$first" 'before the run: plug-in: not installed'
expect first "$first" 'exit code: 0'
expect first "$first" 'plug-in: installed, version 2\.0\.10, feature NPORVEX local'
expect first "$first" "$log"
expect first "$first" 'restart marker HKCU\\Software\\NeedBstrReboot: set'

second=$("$root/scripts/run-sample.sh" --version 2.0.11 -silent -norestart 2>&1)
echo "$second"
expect second "$second" 'before the run: plug-in: installed, version 2\.0\.10, feature NPORVEX local'
expect second "$second" 'removing the cached package C:\\windows\\Installer\\[^ ]+\.msi \(installed 2\.0\.10\): .*'
expect second "$second" 'exit code: 0'
expect second "$second" 'plug-in: installed, version 2\.0\.11, feature NPORVEX local'
expect second "$second" "$log"
expect second "$second" 'restart marker HKCU\\Software\\NeedBstrReboot: set'

if ! runs_32bit_programs; then
  echo "no run on 32-bit Windows: this machine cannot run 32-bit Linux programs"
else
third=$("$root/scripts/run-sample.sh" --windows 32 -silent 2>&1)
echo "$third"
expect third "$third" 'program: build/win32/orvexplugin\.exe \(32-bit, the one users get\) on 32-bit Windows'
expect third "$third" 'before the run: plug-in: not installed'
expect third "$third" 'exit code: 0'
expect third "$third" 'plug-in: installed, version 2\.0\.10, feature NPORVEX local'
expect third "$third" "${log/x64/win32}"
fi

echo "$passed passed, $failed failed"
# Its prefix and template copy take over a gigabyte; keep them only to look
# at a failure.
((failed == 0)) && rm -rf "$ORVEX_SAMPLE_STATE"
((failed == 0))
