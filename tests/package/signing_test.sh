#!/usr/bin/env bash
# Signing with a throwaway certificate made here: Mirvot.exe, the setup's custom action and the
# package carry SHA-256 Authenticode signatures that osslsigncode verifies against that
# certificate and not against another one; the package holds the signed program, and removing
# the program's signature gives back the unsigned, reproducible bytes.
#   signing_test.sh <source dir> <Mirvot.exe> <setup actions> <notices> <version> <scratch>
set -euo pipefail
source_dir="$1" exe="$2" actions="$3" notices="$4" version="$5" scratch="$6"
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch"
certificate() {  # <name>: <name>.pem (certificate) and <name>.p12 (with its key)
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Mirvot test signing $1" \
    -addext extendedKeyUsage=codeSigning -keyout "$1.key" -out "$1.pem" 2>/dev/null
  openssl pkcs12 -export -inkey "$1.key" -in "$1.pem" -out "$1.p12" -passout pass:throwaway
}
certificate signer
certificate stranger
verified_sha256() {  # <file> <certificate name>
  osslsigncode verify -CAfile "$2.pem" -in "$1" >"verify.log" 2>&1 &&
    grep -q 'Message digest algorithm *: SHA256' verify.log
}

MIRVOT_SIGN_PKCS12=signer.p12 MIRVOT_SIGN_PASSWORD=throwaway \
  bash "$source_dir/packaging/sign_package.sh" "$exe" "$actions" "$notices" "$version" signed.msi

verified_sha256 signed.msi signer ||
  fail "the package's signature does not verify: $(cat verify.log)"
msiextract -C extracted signed.msi >/dev/null
msidump -s signed.msi >/dev/null 2>&1 || true
program=extracted/Programs/Mirvot/Mirvot.exe
verified_sha256 "$program" signer || fail "the packaged Mirvot.exe is not signed: $(cat verify.log)"
verified_sha256 _Streams/Binary.SetupActions signer ||
  fail "the packaged custom action is not signed: $(cat verify.log)"
if verified_sha256 "$program" stranger; then
  fail "Mirvot.exe verified against a certificate that did not sign it"
fi

osslsigncode remove-signature -in "$program" -out unsigned.exe >/dev/null
cmp unsigned.exe "$exe" || fail "Mirvot.exe without its signature differs from the unsigned build"

echo "ok: signed package of $(stat -c %s signed.msi) bytes verifies"
cd / && rm -rf "$scratch"
