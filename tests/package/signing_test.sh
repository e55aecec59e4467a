#!/usr/bin/env bash
# Signing with a throwaway certificate made here: Mirvot.exe, the setup's custom action and the
# package carry SHA-256 Authenticode signatures that osslsigncode verifies against that
# certificate and not against another one; the package holds the signed program, still passes
# the validation rules, and removing the program's signature gives back the unsigned,
# reproducible bytes. Signing without a time stamp warns; a certificate that has expired gives
# signatures that do not verify, and the signing stops there.
#   signing_test.sh <source dir> <Mirvot.exe> <setup actions> <notices> <version> <login URL>
#                   <scratch>
set -euo pipefail
source_dir="$1" exe="$2" actions="$3" notices="$4" version="$5" login_url="$6" scratch="$7"
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch"
certificate() {  # <name> [faketime date]: <name>.pem (certificate) and <name>.p12 (with its key)
  ${2:+faketime "$2"} openssl req -x509 -newkey rsa:2048 -nodes -days 2 \
    -subj "/CN=Mirvot test signing $1" -addext extendedKeyUsage=codeSigning \
    -keyout "$1.key" -out "$1.pem" 2>/dev/null
  openssl pkcs12 -export -inkey "$1.key" -in "$1.pem" -out "$1.p12" -passout pass:throwaway
}
certificate signer
certificate stranger
certificate expired 2020-01-01
verified_sha256() {  # <file> <certificate name>
  osslsigncode verify -CAfile "$2.pem" -in "$1" >"verify.log" 2>&1 &&
    grep -q 'Message digest algorithm *: SHA256' verify.log
}

sign() {  # <certificate name> <output>
  MIRVOT_SIGN_PKCS12="$1.p12" MIRVOT_SIGN_PASSWORD=throwaway bash \
    "$source_dir/packaging/sign_package.sh" "$exe" "$actions" "$notices" "$version" "$login_url" "$2"
}

sign signer signed.msi 2>sign.log
grep -q "^warning: no MIRVOT_SIGN_TIMESTAMP_URL" sign.log || fail "no warning about the missing time stamp"
if sign expired expired.msi 2>expired.log; then
  fail "signing with an expired certificate was taken as done"
fi
grep -q "the signature of Mirvot.exe does not verify" expired.log ||
  fail "the expired certificate's signature was not refused: $(cat expired.log)"
[[ ! -e expired.msi ]] || fail "a package signed with an expired certificate was written"
python3 "$source_dir/packaging/ice_check.py" signed.msi || fail "the signed package breaks the rules"

verified_sha256 signed.msi signer ||
  fail "the package's signature does not verify: $(cat verify.log)"
msiextract -C extracted signed.msi >/dev/null
msidump -s signed.msi >/dev/null 2>&1 || true
program="$(find extracted -name Mirvot.exe)"
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
