#!/usr/bin/env bash
# Signs Mirvot.exe and the setup's custom action DLL with Authenticode (SHA-256), builds the
# package from the signed files and signs the package, all with Debian's osslsigncode. Each
# signature is verified as soon as it is made: it must lead to the signing certificate itself and,
# through the certificates in the PKCS#12 file or the system's trusted roots, to a trusted root.
#   sign_package.sh <Mirvot.exe> <MirvotSetupActions.dll> <THIRD-PARTY-NOTICES.txt> <version>
#                   <login URL> <output.msi>
# Environment:
#   MIRVOT_SIGN_PKCS12          the certificate with its private key, a PKCS#12 file (required)
#   MIRVOT_SIGN_PASSWORD        its password (optional)
#   MIRVOT_SIGN_TIMESTAMP_URL   an RFC 3161 time stamp server (optional); without one the
#                               signatures are valid only as long as the certificate is, and
#                               a warning says so
# The given files are not changed: the signed copies are made in a scratch folder.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if (($# != 6)); then
  echo "usage: sign_package.sh <Mirvot.exe> <MirvotSetupActions.dll> <notices> <version>" \
    "<login URL> <output.msi>" >&2
  exit 2
fi
exe="$1" actions="$2" notices="$3" version="$4" login_url="$5" output="$6"
pkcs12="${MIRVOT_SIGN_PKCS12:?MIRVOT_SIGN_PKCS12 must name the signing certificate (PKCS#12)}"
if [[ ! -r "$pkcs12" ]]; then
  echo "sign_package.sh: cannot read the certificate $pkcs12" >&2
  exit 1
fi

mkdir -p "$(dirname "$output")"
work="$(mktemp -d "$output.signing.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# The password reaches osslsigncode through a file that only we can read, never through a
# command line that every user of the machine can see.
password=()
(umask 077 && printf '%s' "${MIRVOT_SIGN_PASSWORD:-}" >"$work/password")
if [[ -n "${MIRVOT_SIGN_PASSWORD:-}" ]]; then
  password=(-readpass "$work/password")
fi
timestamp=()
if [[ -n "${MIRVOT_SIGN_TIMESTAMP_URL:-}" ]]; then
  timestamp=(-ts "$MIRVOT_SIGN_TIMESTAMP_URL")
else
  echo "warning: no MIRVOT_SIGN_TIMESTAMP_URL: the signatures carry no time stamp and stop" \
    "being valid when the certificate expires" >&2
fi

# What a signature must lead to: the signing certificate itself (its SHA-256), and a trusted
# root through the file's own certificates (a self-signed or private root among them) or the
# system's. Files made with older tools may need OpenSSL's legacy algorithms to be read.
certificates() {  # <openssl pkcs12 options...>
  openssl pkcs12 -in "$pkcs12" -nokeys -passin "file:$work/password" "$@" 2>/dev/null ||
    openssl pkcs12 -legacy -in "$pkcs12" -nokeys -passin "file:$work/password" "$@"
}
if ! certificates -clcerts -out "$work/signer.pem" >"$work/openssl.log" 2>&1 ||
  ! certificates -out "$work/trusted.pem" >>"$work/openssl.log" 2>&1; then
  cat "$work/openssl.log" >&2
  echo "sign_package.sh: cannot read the certificates in $pkcs12" >&2
  exit 1
fi
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
if [[ -n "${MIRVOT_SIGN_TIMESTAMP_URL:-}" && -r "$system_roots" ]]; then
  verify_options+=(-TSA-CAfile "$system_roots")
fi

sign() {  # <input> <output>
  if ! osslsigncode sign -pkcs12 "$pkcs12" "${password[@]}" -h sha256 -n "Mirvot Desktop" \
      "${timestamp[@]}" -in "$1" -out "$2" >"$work/osslsigncode.log" 2>&1; then
    cat "$work/osslsigncode.log" >&2
    echo "sign_package.sh: signing $1 failed" >&2
    exit 1
  fi
  if ! osslsigncode verify "${verify_options[@]}" -in "$2" >"$work/verify.log" 2>&1; then
    cat "$work/verify.log" >&2
    echo "sign_package.sh: the signature of $(basename "$2") does not verify" >&2
    exit 1
  fi
}

sign "$exe" "$work/Mirvot.exe"
sign "$actions" "$work/MirvotSetupActions.dll"
python3 "$here/build_msi.py" --exe "$work/Mirvot.exe" \
  --setup-actions "$work/MirvotSetupActions.dll" --notices "$notices" --version "$version" \
  --login-url "$login_url" --output "$work/unsigned.msi"
sign "$work/unsigned.msi" "$work/signed.msi"
mv -f "$work/signed.msi" "$output"
