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
  exit 0
fi

echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
if ((${#missing[@]} > 0)); then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: done"
