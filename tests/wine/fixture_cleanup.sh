#!/bin/bash
# Stops the virtual display of the test run.
#   fixture_cleanup.sh STATE_DIR
state=$1
if [[ -f $state/xvfb.pid ]]; then
  kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
  rm -f "$state/xvfb.pid" "$state/display"
fi
exit 0
