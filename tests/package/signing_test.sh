#!/usr/bin/env bash
# Signing with throwaway certificates made here, with a key in a file (PKCS#12, local builds) and
# with a key in a token (SoftHSM2 through PKCS#11, releases), time-stamped by a time stamp
# authority on the loopback address: Mirvot.exe, the setup's custom action and the package carry
# SHA-256 Authenticode signatures that osslsigncode verifies against the signing certificate and
# not against another one, with a time stamp where one was asked for; the package holds the signed
# program, still passes the validation rules, and removing the program's signature gives back
# the unsigned, reproducible bytes. Signing without a time stamp warns; a release refuses it, and
# refuses a key in a file, a time stamp that does not verify and a wrong PIN; a certificate that
# has expired gives signatures that do not verify. Nothing refused leaves a package.
#   signing_test.sh <source dir> <Mirvot.exe> <setup actions> <notices> <version> <login URL>
#                   <scratch>
set -euo pipefail
source_dir="$1" exe="$2" actions="$3" notices="$4" version="$5" login_url="$6" scratch="$7"
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch"
certificate() {  # <name> <extended key usage> [faketime date]: <name>.pem, .key and .p12
  ${3:+faketime "$3"} openssl req -x509 -newkey rsa:2048 -nodes -days 2 \
    -subj "/CN=Mirvot test $1" -addext "extendedKeyUsage=$2" -keyout "$1.key" -out "$1.pem" \
    2>/dev/null
  openssl pkcs12 -export -inkey "$1.key" -in "$1.pem" -out "$1.p12" -passout pass:throwaway
}
certificate signer codeSigning
certificate stranger codeSigning
certificate expired codeSigning 2020-01-01
certificate token-signer codeSigning
certificate time-stamps critical,timeStamping

# The token: a SoftHSM2 store of this test's own, holding the token signer's key.
export SOFTHSM2_CONF="$scratch/softhsm2.conf"
mkdir tokens
printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' \
  "$scratch/tokens" >"$SOFTHSM2_CONF"
softhsm2-util --init-token --free --label mirvot-test --pin 246810 --so-pin 13579 >/dev/null
openssl pkcs8 -topk8 -nocrypt -in token-signer.key -out token-signer.p8
softhsm2-util --import token-signer.p8 --token mirvot-test --label code-signing --id 01 \
  --pin 246810 >/dev/null
rm token-signer.key token-signer.p8 token-signer.p12
module="$(find /usr/lib -name libsofthsm2.so -print -quit)"
[[ -n "$module" ]] || fail "no SoftHSM2 PKCS#11 module"

python3 "$source_dir/tests/package/timestamp_server.py" time-stamps.key time-stamps.pem tsa 300 \
  >tsa.port 2>tsa.log &
tsa=$!
trap 'kill $tsa 2>/dev/null || true' EXIT
for _ in $(seq 50); do [[ -s tsa.port ]] && break; sleep 0.1; done
timestamp_url="http://127.0.0.1:$(cat tsa.port)"

verified_sha256() {  # <file> <certificate name> [osslsigncode verify options...]
  osslsigncode verify -CAfile "$2.pem" "${@:3}" -in "$1" >"verify.log" 2>&1 &&
    grep -q 'Message digest algorithm *: SHA256' verify.log
}
time_stamped() {  # <file>
  verified_sha256 "$1" token-signer -TSA-CAfile time-stamps.pem &&
    grep -q '^Timestamp Server Signature verification: ok' verify.log
}
sign() {  # <output> [VARIABLE=value...]: sign_package.sh in an environment of only these
  env -u MIRVOT_RELEASE -u MIRVOT_SIGN_TIMESTAMP_URL "${@:2}" bash \
    "$source_dir/packaging/sign_package.sh" "$exe" "$actions" "$notices" "$version" "$login_url" "$1"
}
pkcs12() { echo "MIRVOT_SIGN_PKCS12=$1.p12" MIRVOT_SIGN_PASSWORD=throwaway; }
token=(MIRVOT_SIGN_PKCS11_MODULE="$module"
  "MIRVOT_SIGN_PKCS11_KEY=pkcs11:token=mirvot-test;object=code-signing;type=private"
  MIRVOT_SIGN_CERTIFICATES=token-signer.pem MIRVOT_SIGN_PIN=246810)
release=(MIRVOT_RELEASE=1 MIRVOT_SIGN_TIMESTAMP_URL="$timestamp_url"
  MIRVOT_SIGN_TIMESTAMP_ROOTS=time-stamps.pem)

# A local build with the key in a file: signed and verified, with a warning for the time stamp.
# shellcheck disable=SC2046
sign local.msi $(pkcs12 signer) 2>sign.log
grep -q "^warning: no MIRVOT_SIGN_TIMESTAMP_URL" sign.log || fail "no warning about the missing time stamp"
verified_sha256 local.msi signer || fail "the locally signed package does not verify: $(cat verify.log)"

# A release with the key in the token, time-stamped.
sign release.msi "${token[@]}" "${release[@]}" 2>release.log ||
  fail "the release was not signed: $(cat release.log)"
python3 "$source_dir/packaging/ice_check.py" release.msi || fail "the signed package breaks the rules"
time_stamped release.msi || fail "the package's signature is not time-stamped: $(cat verify.log)"
msiextract -C extracted release.msi >/dev/null
msidump -s release.msi >/dev/null 2>&1 || true
program="$(find extracted -name Mirvot.exe)"
time_stamped "$program" || fail "the packaged Mirvot.exe is not signed so: $(cat verify.log)"
time_stamped _Streams/Binary.SetupActions ||
  fail "the packaged custom action is not signed so: $(cat verify.log)"
if verified_sha256 "$program" stranger; then
  fail "Mirvot.exe verified against a certificate that did not sign it"
fi
osslsigncode remove-signature -in "$program" -out unsigned.exe >/dev/null
cmp unsigned.exe "$exe" || fail "Mirvot.exe without its signature differs from the unsigned build"

# Refused, each before a package is written: (name, what the refusal says, environment).
refusals=(
  "expired|the signature of Mirvot.exe does not verify|$(pkcs12 expired)"
  "release-pkcs12|not with a PKCS#12 file|$(pkcs12 signer) ${release[*]}"
  "release-untimed|needs time-stamped signatures|${token[*]} MIRVOT_RELEASE=1"
  "release-foreign-time-stamps|Mirvot.exe carries no time stamp that verifies|${token[*]} ${release[*]} MIRVOT_SIGN_TIMESTAMP_ROOTS=stranger.pem"
  "wrong-pin|signing .*Mirvot.exe failed|${token[*]/MIRVOT_SIGN_PIN=246810/MIRVOT_SIGN_PIN=111111}"
  "both-keys|not both|$(pkcs12 signer) ${token[*]}"
)
for refusal in "${refusals[@]}"; do
  IFS='|' read -r name said environment <<<"$refusal"
  # The PKCS#11 URI holds ';', never a space: the environment splits on spaces alone.
  read -r -a variables <<<"$environment"
  if sign "$name.msi" "${variables[@]}" 2>"$name.log"; then
    fail "$name: signing went ahead"
  fi
  grep -q -e "$said" "$name.log" || fail "$name: not refused with '$said': $(cat "$name.log")"
  [[ ! -e "$name.msi" ]] || fail "$name: a package was written"
done

echo "ok: signed packages of $(stat -c %s local.msi) and $(stat -c %s release.msi) bytes verify;" \
  "${#refusals[@]} refusals"
cd / && rm -rf "$scratch"
