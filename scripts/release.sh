#!/bin/bash
# Makes a release in dist/release (or --out DIR):
#   orvexplugin.exe       the 32-bit program, the one users get
#   orvexplugin-x64.exe   the same program built for 64-bit Windows
#   SHA256SUMS            checksums of the two as released (signed, when signed)
#   RELEASE.txt           the commit, the tools, the signature and the
#                         checksums of the unsigned programs
# The programs are built with the win32 and win64 presets from a clean export
# of the commit, never from a build directory of the work tree, with
# SOURCE_DATE_EPOCH at the commit's time: the same commit and tools give the
# same unsigned programs, byte for byte. Each program passes the image check
# (tests/static/check_image.py) unsigned and again as released.
# A work tree with changes that are not committed is refused; --allow-dirty
# releases its files as they are (untracked ones too, ignored ones not) and
# RELEASE.txt says so.
# With a certificate (ORVEX_SIGN_PKCS12, or ORVEX_SIGN_CERT and
# ORVEX_SIGN_KEY; see scripts/sign.sh) both programs are signed and verified;
# without one they are released unsigned, and the output and RELEASE.txt say so.
#   scripts/release.sh [--allow-dirty] [--out DIR]
set -euo pipefail
die() { echo "release.sh: $*" >&2; exit 1; }

out=""
allow_dirty=0
while (($#)); do
  case $1 in
    --allow-dirty) allow_dirty=1; shift ;;
    --out) (($# >= 2)) || die "--out needs a directory"; out=$(realpath -m "$2"); shift 2 ;;
    *) sed -n '19s/^# *//p' "$0" >&2; exit 2 ;;
  esac
done
# Paths given relative to where the script was started.
for name in ORVEX_SIGN_PKCS12 ORVEX_SIGN_CERT ORVEX_SIGN_KEY ORVEX_SIGN_PASSWORD_FILE ORVEX_SIGN_CA ORVEX_SIGN_TSA_CA; do
  [[ -n ${!name:-} ]] && export "$name=$(realpath -m "${!name}")"
done
cd "$(dirname "$0")/.."
root=$PWD
out=${out:-$root/dist/release}

git rev-parse --verify -q HEAD >/dev/null || die "$root is not a git work tree with a commit"
changes=$(git status --porcelain)
if [[ -n $changes && $allow_dirty == 0 ]]; then
  echo "release.sh: the work tree has changes that are not committed:" >&2
  head -20 <<<"$changes" >&2
  die "commit them first, or give --allow-dirty to release the work tree as it is"
fi
commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH
# Only the signing sees the password, not the build.
password=${ORVEX_SIGN_PASSWORD:-}
export -n ORVEX_SIGN_PASSWORD 2>/dev/null || true
signing=0
[[ -n ${ORVEX_SIGN_PKCS12:-}${ORVEX_SIGN_CERT:-}${ORVEX_SIGN_KEY:-} ]] && signing=1

bash scripts/setup.sh >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src" "$work/out"
if [[ -n $changes ]]; then
  source_text="NOT the commit alone: the work tree with changes that are not committed (--allow-dirty); it cannot be rebuilt from the commit"
  git ls-files -z --cached --others --exclude-standard --deduplicate |
    while IFS= read -r -d '' file; do
      if [[ -e $file || -L $file ]]; then printf '%s\0' "$file"; fi  # not deleted
    done | tar --null -T - -cf - | tar -x -C "$work/src"
else
  source_text="the commit, exported clean"
  git archive --format=tar HEAD | tar -x -C "$work/src"
fi
echo "release: building $commit${changes:+ with uncommitted changes} (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"

# tool_line PROGRAM: its version and the Debian package it comes from.
tool_line() {
  local path package
  path=$(readlink -f "$(command -v "$1")")
  package=$(dpkg-query -S "$path" 2>/dev/null | head -1 | cut -d: -f1) || true
  echo "  $1: $("$1" --version | head -1)${package:+; Debian $package $(dpkg-query -W -f='${Version}' "$package")}"
}

# check_image PROGRAM: the image check with the build's limits, or the end.
check_image() {
  if ! /usr/bin/python3 "$work/src/tests/static/check_image.py" "$1" --max-bytes "$max_bytes" \
    >"$work/check.log"; then
    cat "$work/check.log" >&2
    die "$1 fails the image check"
  fi
}

tools=""
declare -A unsigned_hash
for preset in win32 win64; do
  case $preset in
    win32) prefix=i686-w64-mingw32 runtime=mingw-w64-i686-dev name=orvexplugin.exe ;;
    win64) prefix=x86_64-w64-mingw32 runtime=mingw-w64-x86-64-dev name=orvexplugin-x64.exe ;;
  esac
  build=$work/src/build/$preset
  if ! (cd "$work/src" && cmake --preset "$preset" -DORVEX_BUILD_TESTS=OFF &&
    cmake --build --preset "$preset" --target orvexplugin --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-2}") \
    >"$work/build-$preset.log" 2>&1; then
    tail -40 "$work/build-$preset.log" >&2
    die "the $preset build failed"
  fi
  max_bytes=$(sed -n 's/^ORVEX_MAX_STRIPPED_BYTES:STRING=//p' "$build/CMakeCache.txt")
  check_image "$build/orvexplugin.exe"
  unsigned_hash[$name]=$(sha256sum <"$build/orvexplugin.exe" | cut -d' ' -f1)
  echo "release: $name built, unsigned SHA-256 ${unsigned_hash[$name]}"
  if ((signing)); then
    ORVEX_SIGN_PASSWORD=$password scripts/sign.sh "$build/orvexplugin.exe" "$work/out/$name" | tee "$work/sign-$preset.log"
    signature=$(sed -n 's/^signed: //p' "$work/sign-$preset.log")
    check_image "$work/out/$name"
  else
    cp "$build/orvexplugin.exe" "$work/out/$name"
  fi
  tools+="$(tool_line "$prefix-g++-posix")
$(tool_line "$prefix-ld")
$(tool_line "$prefix-windres")
  MinGW-w64 runtime: Debian $runtime $(dpkg-query -W -f='${Version}' "$runtime" 2>/dev/null || echo unknown)
"
done
((signing)) || signature="NOT SIGNED: no certificate was given (ORVEX_SIGN_PKCS12, or ORVEX_SIGN_CERT and ORVEX_SIGN_KEY)"

(cd "$work/out" && sha256sum orvexplugin.exe orvexplugin-x64.exe >SHA256SUMS)
cat >"$work/out/RELEASE.txt" <<EOF
orvexplugin.exe release

Commit:    $commit ($(git log -1 --format=%cI HEAD))
Source:    $source_text
SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH
Signature: $signature

orvexplugin.exe is the 32-bit program that users get; orvexplugin-x64.exe
is the same program built for 64-bit Windows. SHA256SUMS holds the
checksums of both as released. The unsigned programs' checksums follow: a
rebuild of the commit with these tools gives these bytes, and so does a
released program with its signature removed
(osslsigncode remove-signature -in orvexplugin.exe -out unsigned.exe).
${unsigned_hash[orvexplugin.exe]}  orvexplugin.exe
${unsigned_hash[orvexplugin-x64.exe]}  orvexplugin-x64.exe

Tools:
$tools  $(cmake --version | head -1), ninja $(ninja --version)
EOF

mkdir -p "$out"
rm -f "$out"/{orvexplugin.exe,orvexplugin-x64.exe,SHA256SUMS,RELEASE.txt}
cp "$work/out"/* "$out/"
echo "release: written to $out"
sed 's/^/  /' "$out/SHA256SUMS"
echo "release: signature: $signature"
