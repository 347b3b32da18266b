#!/bin/bash
# Installs every Debian package that the build, the tests and the sample
# distribution need, and only those that are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev googletest      # native build and unit tests
  clang libclang-rt-14-dev llvm                      # fuzz targets: libFuzzer, symbolizer
  g++-mingw-w64-x86-64 g++-mingw-w64-i686            # the two Windows programs
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686  # windres, dlltool, objdump
  wine wine64 wine32:i386                            # both programs: WoW64 and 32-bit Windows
  xvfb xauth                                         # a display for its boxes
  fonts-wine                                         # Wine's Tahoma and Marlett for the pictures
  wixl msitools                                      # the sample packages
  python3 python3-pefile                             # the icon script; the image check
  osslsigncode openssl git                           # signing and checking a release
  hyperfine                                          # scripts/bench.sh: medians of repeated runs
)

sudo=""
((EUID == 0)) || sudo=sudo

# wine32 is an i386 package: without the architecture apt cannot even see it.
added_architecture=false
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture"
  $sudo dpkg --add-architecture i386
  added_architecture=true
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)) && ! $added_architecture; then
  echo "setup: all ${#packages[@]} packages present"
else
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  if ((${#missing[@]} > 0)); then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi

# Wine's 32-bit half is a 32-bit Linux program, which some kernels refuse
# ("Exec format error"); there the program users get runs through qemu's
# user-mode emulator, registered with binfmt_misc as the interpreter of
# i386 programs. qemu 10 is needed: Debian 12's own 7.2 takes about a
# minute of CPU per Windows process. The registration is the machine's and
# lasts until reboot. A machine where this cannot be done still passes
# setup: the 32-bit Wine tests then skip and say why.
binfmt=/proc/sys/fs/binfmt_misc
registration=$binfmt/qemu-i386
qemu=/usr/bin/qemu-i386
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
# runs_32bit_programs: the tests' own probe.
source "$(dirname "$0")/../tests/wine/wine_common.sh"
# The i386 ELF executable header, with the mask Debian's own qemu uses.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

qemu_major() { "$qemu" --version 2>/dev/null | sed -n '1s/.*version \([0-9]*\).*/\1/p'; }

# The machine's own Debian source with the suite renamed: no host of the
# project's own is added.
add_backports_source() {
  local file=/etc/apt/sources.list.d/orvex-backports.sources
  [[ -e $file ]] && return 0
  local uri keyring
  uri=$(awk -v suite="$codename" '
    /^URIs:/ { uri = $2 }
    /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == suite && uri != "") { print uri; exit } }
    /^deb / { for (i = 2; i <= NF; i++) if ($i ~ /^(https?|file):/ && $(i + 1) == suite) { print $i; exit } }
  ' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null)
  keyring=$(awk '/^Signed-By:/ { print $2; exit }' /etc/apt/sources.list.d/*.sources 2>/dev/null)
  [[ -n $uri ]] || { echo "no Debian source for $codename in /etc/apt"; return 1; }
  {
    echo "Types: deb"
    echo "URIs: $uri"
    echo "Suites: $codename-backports"
    echo "Components: main"
    [[ -z $keyring ]] || echo "Signed-By: $keyring"
  } | $sudo tee "$file" >/dev/null
}

emulate_32bit() {
  local installed=false
  # ORVEX_EMULATE_32BIT=1 registers the emulator anyway, to reproduce such
  # a machine on one whose kernel runs 32-bit programs.
  if [[ ! -e $registration && ${ORVEX_EMULATE_32BIT:-} != 1 ]] && runs_32bit_programs; then
    echo "setup: 32-bit programs: the kernel runs them itself"
    return 0
  fi
  if ! grep -qs "^binfmt_misc $binfmt" /proc/mounts &&
    ! $sudo mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; then
    echo "setup: 32-bit programs: not run here, binfmt_misc cannot be mounted (root needed); their Wine tests skip"
    return 0
  fi
  if (($(qemu_major || echo 0) < 10)); then
    if ! add_backports_source || ! $sudo apt-get update -qq ||
      ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        -t "$codename-backports" qemu-user >/dev/null; then
      echo "setup: 32-bit programs: not run here, qemu-user 10 could not be installed from $codename-backports; their Wine tests skip"
      return 0
    fi
    installed=true
  fi
  # With flag F the interpreter is opened when registered: a replaced qemu
  # needs a new registration.
  if [[ -e $registration ]] && ! $installed && grep -qx enabled "$registration" &&
    grep -qx "interpreter $qemu" "$registration" && grep -q '^flags: .*F' "$registration"; then
    echo "setup: 32-bit programs: run by qemu $(qemu_major), already registered"
    return 0
  fi
  [[ ! -e $registration ]] || echo -1 | $sudo tee "$registration" >/dev/null 2>&1 || true
  if echo ":qemu-i386:M::$i386_magic:$i386_mask:$qemu:FPC" | $sudo tee "$binfmt/register" >/dev/null 2>&1 &&
    runs_32bit_programs; then
    echo "setup: 32-bit programs: run by qemu $(qemu_major), registered with binfmt_misc"
  else
    echo "setup: 32-bit programs: not run here, binfmt_misc could not be written or qemu failed; their Wine tests skip"
  fi
}
emulate_32bit
echo "setup: done"
