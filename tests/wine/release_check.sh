#!/bin/bash
# scripts/release.sh with a throw-away self-signed certificate: uncommitted
# changes are refused; the programs are signed and verify, the checksums
# check, and without its signature each is the unsigned program RELEASE.txt
# records, and the unsigned 64-bit one is the same bytes as the tested
# program, built elsewhere and earlier without SOURCE_DATE_EPOCH (a build
# path or a time in the program would differ); the signed 32-bit program
# shows its help under Wine; a byte changed after signing fails the
# verification.
# "make" does all but the last, which needs Wine's prefix, so that the
# release is built while the prefix is made; "run" then runs the release in
# STATE_DIR/release.
#   release_check.sh make SOURCE_DIR STATE_DIR OBJDUMP TESTED_64BIT_PROGRAM
#   release_check.sh run STATE_DIR ORVEX_LAUNCH_EXE
set -euo pipefail
source "$(dirname "$0")/wine_common.sh"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

if [[ $1 == run ]]; then
  state=$2 launch=$3 dist=$2/release
  export WINEPREFIX=$state/prefixes/release
  rm -rf "$WINEPREFIX"
  mkdir -p "$state/prefixes"
  cp -a "$state/template" "$WINEPREFIX"
  use_private_display
  trap '"$WINESERVER" -k 2>/dev/null || true; stop_private_display; [[ $failed != 0 ]] || rm -rf "$WINEPREFIX"' EXIT
  # The program users get, signed, runs; the 64-bit one where this machine
  # runs no 32-bit program.
  signed=orvexplugin.exe
  runs_32bit_programs || { signed=orvexplugin-x64.exe; echo "running the signed 64-bit program: no 32-bit one runs here"; }
  output=$(timeout 120 "$WINE64" "$launch" "$(windows_path "$dist/$signed")" -help 2>&1 | tr -d '\r') || true
  echo "$output"
  [[ $output == *'--- box "Справка"'*$'\nexit code: 0'* ]] || fail "the signed program showed no help box or did not end with 0"
  exit $failed
fi

source_dir=$2 state=$3 objdump=$4 tested=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/repo/scripts"
cp "$source_dir/scripts/release.sh" "$work/repo/scripts/"
git -C "$work/repo" init -q && git -C "$work/repo" add . && touch "$work/repo/new-file"
git -C "$work/repo" -c user.name=test -c user.email=test@example.invalid commit -qm start
output=$(bash "$work/repo/scripts/release.sh" --out "$work/refused" 2>&1) && fail "uncommitted changes were released"
[[ $output == *"not committed"*"new-file"* && ! -e $work/refused ]] || fail "refusal: $output"

export ORVEX_TEST_PASSWORD='pass word "with" $ and spaces'
openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Orvex Release Test" -nodes -addext extendedKeyUsage=codeSigning \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -in "$work/cert.pem" -inkey "$work/key.pem" -passout env:ORVEX_TEST_PASSWORD -out "$work/cert.p12"
dist=$state/release
rm -rf "$dist"
ORVEX_SIGN_PKCS12=$work/cert.p12 ORVEX_SIGN_PASSWORD=$ORVEX_TEST_PASSWORD \
  bash "$source_dir/scripts/release.sh" --allow-dirty --out "$dist" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
(cd "$dist" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not check"
info=$(cat "$dist/RELEASE.txt")
[[ $info == *"Commit:    $(git -C "$source_dir" rev-parse HEAD)"* &&
  $info == *"Signature: Authenticode SHA-256 by /CN=Orvex Release Test"* &&
  $info == *"i686-w64-mingw32-windres: GNU windres"* ]] || fail "RELEASE.txt: $info"
for name in orvexplugin.exe orvexplugin-x64.exe; do
  osslsigncode verify -CAfile "$work/cert.pem" -in "$dist/$name" >"$work/log" 2>&1 || { cat "$work/log"; fail "$name does not verify"; }
  osslsigncode remove-signature -in "$dist/$name" -out "$work/unsigned-$name" >/dev/null
  grep -qx "$(sha256sum <"$work/unsigned-$name" | cut -d' ' -f1)  $name" <<<"$info" || fail "unsigned $name is not in RELEASE.txt"
done
cmp "$work/unsigned-orvexplugin-x64.exe" "$tested" ||
  fail "the released 64-bit program is not the tested one: $(sha256sum "$work/unsigned-orvexplugin-x64.exe" "$tested")"

# A byte in the middle of the code, flipped after signing.
cp "$dist/orvexplugin-x64.exe" "$work/changed.exe"
read -r size offset < <("$objdump" -h "$work/changed.exe" | awk '$2 == ".text" {print $3, $6}')
at=$((16#$offset + 16#$size / 2))
printf "\\$(printf %03o $(($(od -An -tu1 -j$at -N1 "$work/changed.exe") ^ 255)))" |
  dd of="$work/changed.exe" bs=1 seek=$at conv=notrunc status=none
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed.exe" >/dev/null 2>&1 && fail "a changed program verifies"

exit $failed
