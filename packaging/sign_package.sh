#!/usr/bin/env bash
# Signs Mirvot.exe and the setup's custom action DLL with Authenticode (SHA-256), builds the
# package from the signed files and signs the package, all with Debian's osslsigncode. Each
# signature is verified as soon as it is made: it must be the signing certificate's, lead through
# the given certificates or the system's trusted roots to a trusted root, and, when a time stamp
# server is given, carry a time stamp that verifies.
#   sign_package.sh <Mirvot.exe> <MirvotSetupActions.dll> <THIRD-PARTY-NOTICES.txt> <version>
#                   <login URL> <output.msi>
# The key, either
#   in a token or HSM, through its PKCS#11 module (osslsigncode's PKCS#11 engine):
#     MIRVOT_SIGN_PKCS11_MODULE   the token's PKCS#11 module (a shared library)
#     MIRVOT_SIGN_PKCS11_KEY      the private key's PKCS#11 URI (pkcs11:token=...;object=...)
#     MIRVOT_SIGN_CERTIFICATES    PEM file: the signing certificate, then those between it and
#                                 its root
#     MIRVOT_SIGN_PIN             the token's user PIN (optional: some tokens ask for none)
#   or in a file, for local builds:
#     MIRVOT_SIGN_PKCS12          the certificate with its private key, a PKCS#12 file
#     MIRVOT_SIGN_PASSWORD        its password (optional)
# and
#   MIRVOT_SIGN_TIMESTAMP_URL     an RFC 3161 time stamp server; without one the signatures are
#                                 valid only as long as the certificate is, and a warning says so
#   MIRVOT_SIGN_TIMESTAMP_ROOTS   PEM file of the roots the time stamps must lead to (default:
#                                 the system's trusted roots)
#   MIRVOT_RELEASE=1              a release: the key must be in a token, and every signature must
#                                 carry a time stamp that verifies; anything less stops the signing
# The given files are not changed: the signed copies are made in a scratch folder. The secrets
# reach osslsigncode through a file only we can read, never through a command line that every
# user of the machine can see.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
fail() { echo "sign_package.sh: $*" >&2; exit 1; }
if (($# != 6)); then
  echo "usage: sign_package.sh <Mirvot.exe> <MirvotSetupActions.dll> <notices> <version>" \
    "<login URL> <output.msi>" >&2
  exit 2
fi
exe="$1" actions="$2" notices="$3" version="$4" login_url="$5" output="$6"
release="${MIRVOT_RELEASE:-0}"
pkcs12="${MIRVOT_SIGN_PKCS12:-}"
module="${MIRVOT_SIGN_PKCS11_MODULE:-}"
timestamp_url="${MIRVOT_SIGN_TIMESTAMP_URL:-}"

if [[ -n "$pkcs12" && -n "$module" ]]; then
  fail "give either MIRVOT_SIGN_PKCS12 or MIRVOT_SIGN_PKCS11_MODULE, not both"
elif [[ -z "$pkcs12" && -z "$module" ]]; then
  fail "no key: set MIRVOT_SIGN_PKCS11_MODULE (a token) or MIRVOT_SIGN_PKCS12 (a file)"
fi
if [[ "$release" == 1 && -z "$module" ]]; then
  fail "MIRVOT_RELEASE=1: a release is signed with a key in a token (MIRVOT_SIGN_PKCS11_MODULE)," \
    "not with a PKCS#12 file"
fi
if [[ "$release" == 1 && -z "$timestamp_url" ]]; then
  fail "MIRVOT_RELEASE=1: a release needs time-stamped signatures (MIRVOT_SIGN_TIMESTAMP_URL)"
fi
for file in "$pkcs12" "$module" "${MIRVOT_SIGN_CERTIFICATES:-}" \
  "${MIRVOT_SIGN_TIMESTAMP_ROOTS:-}"; do
  [[ -z "$file" || -r "$file" ]] || fail "cannot read $file"
done

mkdir -p "$(dirname "$output")"
work="$(mktemp -d "$output.signing.XXXXXX")"
trap 'rm -rf "$work"' EXIT

key=()
secret=""
if [[ -n "$module" ]]; then
  certificates="${MIRVOT_SIGN_CERTIFICATES:-}"
  [[ -n "$certificates" ]] || fail "MIRVOT_SIGN_CERTIFICATES must name the signing certificate (PEM)"
  [[ -n "${MIRVOT_SIGN_PKCS11_KEY:-}" ]] || fail "MIRVOT_SIGN_PKCS11_KEY must be the PKCS#11 URI of the key"
  key=(-pkcs11module "$module" -key "$MIRVOT_SIGN_PKCS11_KEY" -certs "$certificates")
  secret="${MIRVOT_SIGN_PIN:-}"
  # The first certificate of the file signs; the file and the system's roots lead to a root.
  openssl x509 -in "$certificates" -out "$work/signer.pem" 2>"$work/openssl.log" ||
    fail "$certificates holds no certificate: $(cat "$work/openssl.log")"
  cp "$certificates" "$work/trusted.pem"
else
  key=(-pkcs12 "$pkcs12")
  secret="${MIRVOT_SIGN_PASSWORD:-}"
fi
(umask 077 && printf '%s' "$secret" >"$work/secret")
if [[ -n "$secret" ]]; then
  key+=(-readpass "$work/secret")
fi
if [[ -n "$pkcs12" ]]; then
  # Files made with older tools may need OpenSSL's legacy algorithms to be read.
  certificates() {  # <openssl pkcs12 options...>
    openssl pkcs12 -in "$pkcs12" -nokeys -passin "file:$work/secret" "$@" 2>/dev/null ||
      openssl pkcs12 -legacy -in "$pkcs12" -nokeys -passin "file:$work/secret" "$@"
  }
  if ! certificates -clcerts -out "$work/signer.pem" >"$work/openssl.log" 2>&1 ||
    ! certificates -out "$work/trusted.pem" >>"$work/openssl.log" 2>&1; then
    cat "$work/openssl.log" >&2
    fail "cannot read the certificates in $pkcs12"
  fi
fi

timestamp=()
if [[ -n "$timestamp_url" ]]; then
  timestamp=(-ts "$timestamp_url")
else
  echo "warning: no MIRVOT_SIGN_TIMESTAMP_URL: the signatures carry no time stamp and stop" \
    "being valid when the certificate expires" >&2
fi

# What a signature must lead to: the signing certificate itself (its SHA-256), and a trusted
# root through the given certificates (a private root among them) or the system's.
signer="$(openssl x509 -in "$work/signer.pem" -outform DER | sha256sum | cut -d' ' -f1)"
system_roots=/etc/ssl/certs/ca-certificates.crt
if [[ -r "$system_roots" ]]; then
  cat "$system_roots" >>"$work/trusted.pem"
fi
verify_options=(-CAfile "$work/trusted.pem" -require-leaf-hash "sha256:$signer")
# No network here: revocation lists named in the certificate are not fetched.
osslsigncode verify --help >"$work/verify-help.txt" 2>&1 || true
if grep -q -e '-ignore-crl' "$work/verify-help.txt"; then
  verify_options+=(-ignore-crl)
fi
timestamp_roots="${MIRVOT_SIGN_TIMESTAMP_ROOTS:-$system_roots}"
if [[ -n "$timestamp_url" && -r "$timestamp_roots" ]]; then
  verify_options+=(-TSA-CAfile "$timestamp_roots")
fi

sign() {  # <input> <output>
  if ! osslsigncode sign "${key[@]}" -h sha256 -n "Mirvot Desktop" "${timestamp[@]}" \
    -in "$1" -out "$2" >"$work/osslsigncode.log" 2>&1; then
    cat "$work/osslsigncode.log" >&2
    fail "signing $1 failed"
  fi
  if ! osslsigncode verify "${verify_options[@]}" -in "$2" >"$work/verify.log" 2>&1; then
    cat "$work/verify.log" >&2
    fail "the signature of $(basename "$2") does not verify"
  fi
  # osslsigncode prints this line for a time stamp that verifies; its verify still succeeds when
  # the time stamp is missing or does not verify.
  if ! grep -q '^Timestamp Server Signature verification: ok' "$work/verify.log"; then
    untimed+=("$(basename "$2")")
    if [[ -n "$timestamp_url" ]]; then
      cat "$work/verify.log" >&2
      [[ "$release" != 1 ]] ||
        fail "the signature of $(basename "$2") carries no time stamp that verifies"
      echo "warning: the signature of $(basename "$2") carries no time stamp that verifies" >&2
    fi
  fi
}
untimed=()

sign "$exe" "$work/Mirvot.exe"
sign "$actions" "$work/MirvotSetupActions.dll"
python3 "$here/build_msi.py" --exe "$work/Mirvot.exe" \
  --setup-actions "$work/MirvotSetupActions.dll" --notices "$notices" --version "$version" \
  --login-url "$login_url" --output "$work/unsigned.msi"
sign "$work/unsigned.msi" "$work/$(basename "$output")"
mv -f "$work/$(basename "$output")" "$output"
if ((${#untimed[@]} == 0)); then
  echo "Signed (SHA-256 Authenticode, time-stamped) and verified: Mirvot.exe, the setup's custom" \
    "action and the package."
else
  echo "Signed (SHA-256 Authenticode) and verified, WITHOUT a time stamp: ${untimed[*]}."
fi
