# Shared settings for running Windows programs under Wine in tests.
# Sourced, not run.
#
# ORVEX_WINDOWS says which Windows a prefix is: 64 (the default: 64-bit
# Windows with WoW64, where both programs run) or 32 (32-bit Windows, made
# with WINEARCH=win32, where only 32-bit programs run). $WINE is the loader
# for that kind (WINE64 stays the 64-bit one), $TEMPLATE_NAME its template
# prefix in a state directory, $PACKAGE_ARCH the package flavour it needs.
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
case ${ORVEX_WINDOWS:-64} in
  64) WINE=$WINE64 TEMPLATE_NAME=template PACKAGE_ARCH=x64; unset WINEARCH ;;
  32) WINE=/usr/lib/wine/wine TEMPLATE_NAME=template-win32 PACKAGE_ARCH=win32; export WINEARCH=win32 ;;
  *) echo "ORVEX_WINDOWS must be 64 or 32, not $ORVEX_WINDOWS" >&2; return 2 ;;
esac
export WINELOADER=$WINE
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts when a prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Wine's 32-bit half is a 32-bit Linux program, and some machines' kernels
# run none ("Exec format error"). scripts/setup.sh then registers qemu's
# user-mode emulator for them; where it could not, no 32-bit Windows program
# starts, in either kind of prefix, and only the 64-bit program can be
# tested. The probe runs without WINELOADERNOEXEC, which makes it fail.
runs_32bit_programs() { env -u WINELOADERNOEXEC /usr/lib/wine/wine --version >/dev/null 2>&1; }
# Under the emulator Wine's 32-bit loader would start itself a second time,
# a whole emulated start again; Wine's processes inherit the setting.
emulates_32bit() { grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386; }
if emulates_32bit; then
  export WINELOADERNOEXEC=1
fi
# skip_without_32bit WHAT: where the program under test (ORVEX_PROGRAM_BITS)
# or the kind of Windows (ORVEX_WINDOWS) is 32-bit, on such a machine, says
# so and ends the test with ctest's skip code.
skip_without_32bit() {
  [[ ${ORVEX_WINDOWS:-64} == 64 && ${ORVEX_PROGRAM_BITS:-64} == 64 ]] && return 0
  runs_32bit_programs && return 0
  local why="the emulator registered for them does not start Wine's 32-bit loader"
  if ! grep -qs "^binfmt_misc " /proc/mounts; then
    why="binfmt_misc is not mounted (scripts/setup.sh mounts it as root)"
  elif ! emulates_32bit; then
    why="no emulator is registered for them (scripts/setup.sh registers qemu as root)"
  fi
  echo "SKIPPED: $1: this kernel runs no 32-bit Linux program and $why, so Wine starts no 32-bit Windows program"
  exit 77
}

# Wine's debug channels for each program the test driver starts: heap
# reports, and the relay log of its calls of the functions in
# windows_calls.txt, for check_calls.py; each line headed by the process id.
relay_program_calls() {
  export ORVEX_PROGRAM_WINEDEBUG=-all,+pid,warn+heap,err+heap,+relay
  ORVEX_PROGRAM_RELAY=$(python3 "$(dirname "${BASH_SOURCE[0]}")/check_calls.py" include)
  export ORVEX_PROGRAM_RELAY
}

# The template prefix of the kind of Windows in ORVEX_WINDOWS, in STATE_DIR.
template_prefix() { echo "$1/$TEMPLATE_NAME"; }

# Windows path of a Unix file: Wine maps drive Z: to the root.
windows_path() {
  local unix_path
  unix_path=$(realpath "$1")
  echo "Z:${unix_path//\//\\}"
}

# Starts an Xvfb of the caller's own and points DISPLAY at it; the caller
# stops it with stop_private_display. Groups that run side by side then
# cannot cover one another's boxes, which matters where a check reads a
# box's pixels. Xvfb picks the free display number itself (-displayfd).
use_private_display() {
  local number_file
  number_file=$(mktemp)
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 </dev/null &
  PRIVATE_XVFB_PID=$!
  for _ in $(seq 100); do
    [[ -s $number_file ]] && break
    sleep 0.05
  done
  [[ -s $number_file ]] || { echo "no private display could be started"; rm -f "$number_file"; return 1; }
  export DISPLAY=":$(tr -d '\n' <"$number_file")"
  rm -f "$number_file"
}

stop_private_display() {
  [[ -n ${PRIVATE_XVFB_PID:-} ]] && kill "$PRIVATE_XVFB_PID" 2>/dev/null
  return 0
}
