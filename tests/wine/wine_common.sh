# Shared settings for running Windows programs under Wine in tests.
# Sourced, not run.
export WINELOADER=/usr/lib/wine/wine64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts when a prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# Windows path of a Unix file: Wine maps drive Z: to the root.
windows_path() {
  local unix_path
  unix_path=$(realpath "$1")
  echo "Z:${unix_path//\//\\}"
}
