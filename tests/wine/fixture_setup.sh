#!/bin/bash
# Starts the virtual display and makes the template Wine prefixes that the
# test groups copy, so each group gets its own registry and installer state:
# one for each kind of Windows given (64: WoW64, the default; 32: 32-bit).
#   fixture_setup.sh STATE_DIR [64|32]...
set -euo pipefail
here=$(dirname "$0")
state=$1
shift
kinds=("${@:-64}")
mkdir -p "$state"

# One Xvfb for the whole run, on the first free display from 90 on.
if [[ -f $state/xvfb.pid ]] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
  echo "display $(cat "$state/display") already running"
else
  for number in $(seq 90 140); do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    setsid Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 </dev/null &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 50); do
      [[ -e /tmp/.X11-unix/X$number ]] && break
      sleep 0.1
    done
    if [[ -e /tmp/.X11-unix/X$number ]]; then
      echo ":$number" >"$state/display"
      break
    fi
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
  done
  [[ -f $state/display ]] || { echo "no display could be started"; exit 1; }
  echo "display $(cat "$state/display") started"
fi

# The kinds are made side by side: each prefix has a wineserver of its own.
make_template() {
  local template stamp
  export ORVEX_WINDOWS=$1
  source "$here/wine_common.sh"
  template=$(template_prefix "$state")
  stamp=$template/.orvex-template-ready
  if [[ $1 == 32 ]] && ! runs_32bit_programs; then
    echo "no 32-bit Windows prefix: this machine cannot run 32-bit Linux programs"
    return
  fi
  if [[ -f $stamp ]]; then
    echo "template prefix $template reused"
    return
  fi
  rm -rf "$template"
  export WINEPREFIX=$template
  DISPLAY=$(cat "$state/display") "$WINE" wineboot -i >/dev/null 2>&1
  # No window manager here: without this every new window waits for one.
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
  # A crash must end the program, not wait on a dialog.
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
  "$WINESERVER" -w
  touch "$stamp"
  echo "template prefix $template made"
}
pids=()
for kind in "${kinds[@]}"; do
  make_template "$kind" &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
