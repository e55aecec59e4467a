#!/usr/bin/env bash
# Signs Mirvot.exe and the setup's custom action DLL with Authenticode (SHA-256), builds the
# package from the signed files and signs the package, all with Debian's osslsigncode.
#   sign_package.sh <Mirvot.exe> <MirvotSetupActions.dll> <THIRD-PARTY-NOTICES.txt> <version>
#                   <output.msi>
# Environment:
#   MIRVOT_SIGN_PKCS12          the certificate with its private key, a PKCS#12 file (required)
#   MIRVOT_SIGN_PASSWORD        its password (optional)
#   MIRVOT_SIGN_TIMESTAMP_URL   an RFC 3161 time stamp server (optional); without one the
#                               signatures are valid only as long as the certificate is
# The given files are not changed: the signed copies are made in a scratch folder.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if (($# != 5)); then
  echo "usage: sign_package.sh <Mirvot.exe> <MirvotSetupActions.dll> <notices> <version>" \
    "<output.msi>" >&2
  exit 2
fi
exe="$1" actions="$2" notices="$3" version="$4" output="$5"
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
if [[ -n "${MIRVOT_SIGN_PASSWORD:-}" ]]; then
  (umask 077 && printf '%s' "$MIRVOT_SIGN_PASSWORD" >"$work/password")
  password=(-readpass "$work/password")
fi
timestamp=()
if [[ -n "${MIRVOT_SIGN_TIMESTAMP_URL:-}" ]]; then
  timestamp=(-ts "$MIRVOT_SIGN_TIMESTAMP_URL")
fi

sign() {  # <input> <output>
  if ! osslsigncode sign -pkcs12 "$pkcs12" "${password[@]}" -h sha256 -n "Mirvot Desktop" \
      "${timestamp[@]}" -in "$1" -out "$2" >"$work/osslsigncode.log" 2>&1; then
    cat "$work/osslsigncode.log" >&2
    echo "sign_package.sh: signing $1 failed" >&2
    exit 1
  fi
}

sign "$exe" "$work/Mirvot.exe"
sign "$actions" "$work/MirvotSetupActions.dll"
python3 "$here/build_msi.py" --exe "$work/Mirvot.exe" \
  --setup-actions "$work/MirvotSetupActions.dll" --notices "$notices" --version "$version" \
  --output "$work/unsigned.msi"
sign "$work/unsigned.msi" "$work/signed.msi"
mv -f "$work/signed.msi" "$output"
