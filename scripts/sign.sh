#!/bin/bash
# Signs a Windows program with Authenticode (SHA-256) through osslsigncode,
# then verifies the signed copy; the last line it prints says who signed.
#   scripts/sign.sh PROGRAM SIGNED_PROGRAM
# The certificate comes from the environment:
#   ORVEX_SIGN_PKCS12          a PKCS#12 file (.p12, .pfx): certificate, chain and key
#   ORVEX_SIGN_CERT            or the certificate with its chain (PEM or DER) ...
#   ORVEX_SIGN_KEY             ... and its private key (PEM or DER)
#   ORVEX_SIGN_PASSWORD        the password of the PKCS#12 file or the key, or
#   ORVEX_SIGN_PASSWORD_FILE   a file whose first line is that password
#   ORVEX_SIGN_TIMESTAMP_URL   an RFC 3161 timestamp server (none: no timestamp)
#   ORVEX_SIGN_CA              trusted root certificates (PEM) for the check; by
#                              default the system's, and a self-signed certificate
#                              is checked against itself
#   ORVEX_SIGN_TSA_CA          the same for the timestamp's signer
# The password is never on a command line, where any user could read it:
# osslsigncode reads it from its standard input.
set -euo pipefail
(($# == 2)) || { sed -n '4p' "$0" | sed 's/^# *//' >&2; exit 2; }
input=$1 output=$2
die() { echo "sign.sh: $*" >&2; exit 1; }

password=${ORVEX_SIGN_PASSWORD:-}
export -n ORVEX_SIGN_PASSWORD 2>/dev/null || true
if [[ -n ${ORVEX_SIGN_PASSWORD_FILE:-} ]]; then
  [[ -r $ORVEX_SIGN_PASSWORD_FILE ]] || die "cannot read ORVEX_SIGN_PASSWORD_FILE $ORVEX_SIGN_PASSWORD_FILE"
  IFS= read -r password <"$ORVEX_SIGN_PASSWORD_FILE" || true
fi

if [[ -n ${ORVEX_SIGN_PKCS12:-} ]]; then
  [[ -r $ORVEX_SIGN_PKCS12 ]] || die "cannot read ORVEX_SIGN_PKCS12 $ORVEX_SIGN_PKCS12"
  credentials=(-pkcs12 "$ORVEX_SIGN_PKCS12")
elif [[ -n ${ORVEX_SIGN_CERT:-} && -n ${ORVEX_SIGN_KEY:-} ]]; then
  [[ -r $ORVEX_SIGN_CERT && -r $ORVEX_SIGN_KEY ]] || die "cannot read ORVEX_SIGN_CERT or ORVEX_SIGN_KEY"
  credentials=(-certs "$ORVEX_SIGN_CERT" -key "$ORVEX_SIGN_KEY")
else
  die "no certificate: set ORVEX_SIGN_PKCS12, or ORVEX_SIGN_CERT and ORVEX_SIGN_KEY"
fi
timestamp=()
[[ -n ${ORVEX_SIGN_TIMESTAMP_URL:-} ]] && timestamp=(-ts "$ORVEX_SIGN_TIMESTAMP_URL")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -f "$output"
if ! osslsigncode sign "${credentials[@]}" -readpass /dev/stdin -h sha256 "${timestamp[@]}" \
  -in "$input" -out "$work/signed.exe" <<<"$password" >"$work/sign.log" 2>&1; then
  cat "$work/sign.log" >&2
  die "signing failed (wrong password, or a key that does not match the certificate?)"
fi

# The check: against ORVEX_SIGN_CA, else the system's roots; a self-signed
# certificate has no root there and is checked against itself.
verify=(-in "$work/signed.exe")
[[ -n ${ORVEX_SIGN_TSA_CA:-} ]] && verify+=(-TSA-CAfile "$ORVEX_SIGN_TSA_CA")
anchor="the system's root certificates" roots=()
[[ -n ${ORVEX_SIGN_CA:-} ]] && anchor=$ORVEX_SIGN_CA roots=(-CAfile "$ORVEX_SIGN_CA")
status=0
osslsigncode verify "${verify[@]}" "${roots[@]}" >"$work/verify.log" 2>&1 || status=$?
signer() { sed -n "/^Signer's certificate:/,/Serial/s/^\s*$1 *: //p" "$work/verify.log" | head -1; }
subject=$(signer Subject) issuer=$(signer Issuer) serial=$(signer Serial)
if ((status != 0)) && [[ -z ${ORVEX_SIGN_CA:-} && -n $subject && $subject == "$issuer" ]]; then
  osslsigncode extract-signature -pem -in "$work/signed.exe" -out "$work/signature.pem" >/dev/null
  openssl pkcs7 -in "$work/signature.pem" -print_certs |
    awk -v dir="$work" '/BEGIN CERTIFICATE/ {n++} n {print > (dir "/certificate" n ".pem")}'
  for certificate in "$work"/certificate*.pem; do
    if [[ $(openssl x509 -in "$certificate" -noout -serial) == "serial=$serial" ]]; then
      cp "$certificate" "$work/self.pem"
    fi
  done
  [[ -f $work/self.pem ]] || die "the signing certificate is not in the signature"
  anchor="the self-signed certificate itself"
  status=0
  osslsigncode verify "${verify[@]}" -CAfile "$work/self.pem" >"$work/verify.log" 2>&1 || status=$?
fi
if ((status != 0)); then
  cat "$work/verify.log" >&2
  die "the signed program does not verify against $anchor (ORVEX_SIGN_CA names the root certificate)"
fi
grep -Ei '^(signature verification|number of verified|.*timestamp)' "$work/verify.log" || true
mv "$work/signed.exe" "$output"
stamped=none
((${#timestamp[@]})) && stamped=$ORVEX_SIGN_TIMESTAMP_URL
echo "signed: Authenticode SHA-256 by $subject (issuer $issuer), timestamp: $stamped, verified against $anchor"
