#!/bin/bash
# A release as an administrator makes it, with a throw-away self-signed
# certificate: uncommitted changes are refused; both programs are signed and
# verify, their checksums check, and with the signature removed each is the
# unsigned program whose checksum RELEASE.txt records; the signed 64-bit
# program still shows its help under Wine; a byte changed after signing fails
# the verification. PEM certificate and key with a password file sign too;
# a wrong password signs nothing.
#   release_check.sh SOURCE_DIR STATE_DIR ORVEX_LAUNCH_EXE
set -euo pipefail
source "$(dirname "$0")/wine_common.sh"
source_dir=$1 state=$2 launch=$3
[[ -f $state/template/.orvex-template-ready ]] || { echo "the template fixture did not run"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# A repository of its own, holding the script and an untracked file.
repo=$work/repo
mkdir -p "$repo/scripts"
cp "$source_dir/scripts/release.sh" "$repo/scripts/"
git -C "$repo" init -q
git -C "$repo" add .
git -C "$repo" -c user.name=test -c user.email=test@example.invalid commit -qm start
touch "$repo/new-file"
if output=$(bash "$repo/scripts/release.sh" --out "$work/refused" 2>&1); then
  fail "a work tree with an untracked file was released"
fi
[[ $output == *"not committed"*"new-file"* ]] || fail "the refusal does not say why: $output"
[[ ! -e $work/refused ]] || fail "the refused release wrote its directory"

export ORVEX_TEST_PASSWORD='pass word "with" $ and spaces'
openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Orvex Release Test" -nodes \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -in "$work/cert.pem" -inkey "$work/key.pem" -passout env:ORVEX_TEST_PASSWORD \
  -out "$work/cert.p12"

dist=$work/dist
if ! ORVEX_SIGN_PKCS12=$work/cert.p12 ORVEX_SIGN_PASSWORD=$ORVEX_TEST_PASSWORD \
  bash "$source_dir/scripts/release.sh" --allow-dirty --out "$dist" >"$work/release.log" 2>&1; then
  cat "$work/release.log"
  echo "FAIL: the release failed"
  exit 1
fi
(cd "$dist" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not check"
info=$(cat "$dist/RELEASE.txt")
[[ $info == *"Commit:    $(git -C "$source_dir" rev-parse HEAD)"* ]] || fail "RELEASE.txt names another commit"
[[ $info == *"Signature: Authenticode SHA-256 by /CN=Orvex Release Test"* ]] || fail "RELEASE.txt names no signer"
for tool in i686-w64-mingw32-g++-posix i686-w64-mingw32-ld i686-w64-mingw32-windres; do
  [[ $info == *"$tool: "*[0-9].[0-9]* ]] || fail "RELEASE.txt gives no version of $tool"
done
for name in orvexplugin.exe orvexplugin-x64.exe; do
  osslsigncode verify -CAfile "$work/cert.pem" -in "$dist/$name" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log"; fail "$name does not verify"; }
  osslsigncode remove-signature -in "$dist/$name" -out "$work/unsigned-$name" >/dev/null
  hash=$(sha256sum <"$work/unsigned-$name" | cut -d' ' -f1)
  grep -qx "$hash  $name" <<<"$info" || fail "$name without its signature is not the unsigned $name of RELEASE.txt"
done

# A byte in the middle of the first section (the code), flipped after signing.
cp "$dist/orvexplugin-x64.exe" "$work/changed.exe"
python3 - "$work/changed.exe" <<'EOF'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
pe = struct.unpack_from('<I', data, 0x3C)[0]
table = pe + 24 + struct.unpack_from('<H', data, pe + 20)[0]
size, offset = struct.unpack_from('<II', data, table + 16)
data[offset + size // 2] ^= 0xFF
open(sys.argv[1], 'wb').write(data)
EOF
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed.exe" >"$work/verify.log" 2>&1; then
  fail "a program changed after signing still verifies"
fi

# PEM: an encrypted key, its password in a file.
openssl pkey -in "$work/key.pem" -aes256 -passout env:ORVEX_TEST_PASSWORD -out "$work/key-encrypted.pem"
printf '%s\n' "$ORVEX_TEST_PASSWORD" >"$work/password"
ORVEX_SIGN_CERT=$work/cert.pem ORVEX_SIGN_KEY=$work/key-encrypted.pem ORVEX_SIGN_PASSWORD_FILE=$work/password \
  "$source_dir/scripts/sign.sh" "$work/unsigned-orvexplugin.exe" "$work/pem.exe" >"$work/sign.log" 2>&1 ||
  { cat "$work/sign.log"; fail "PEM certificate and key with a password file do not sign"; }
if ORVEX_SIGN_PKCS12=$work/cert.p12 ORVEX_SIGN_PASSWORD=wrong \
  "$source_dir/scripts/sign.sh" "$work/unsigned-orvexplugin.exe" "$work/wrong.exe" >/dev/null 2>&1 ||
  [[ -e $work/wrong.exe ]]; then
  fail "a wrong password signed, or left a file"
fi

# The signed program runs: its help box, then exit code 0.
export WINEPREFIX=$state/prefixes/release
rm -rf "$WINEPREFIX"
mkdir -p "$state/prefixes"
cp -a "$state/template" "$WINEPREFIX"
use_private_display
trap '"$WINESERVER" -k 2>/dev/null || true; stop_private_display; rm -rf "$work"' EXIT
output=$(timeout 120 "$WINE64" "$launch" "$(windows_path "$dist/orvexplugin-x64.exe")" -help 2>&1 | tr -d '\r') || true
echo "$output"
[[ $output == *'--- box "Справка"'* ]] || fail "the signed program showed no help box"
[[ $output == *$'\nexit code: 0'* ]] || fail "the signed program did not end with 0"

((failed == 0)) && echo "signed release check passed"
exit $failed
