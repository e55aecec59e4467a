#!/usr/bin/env bash
# Builds the release Mirvot.exe (the clang build) and its Windows Installer package, and writes beside it the
# software bill of materials (Mirvot-<version>-x64.cdx.json, CycloneDX 1.5) and the winget
# manifests (manifests/m/Mirvot/MirvotDesktop/<version>/); the last line printed is the package's
# path, build/package/Mirvot-<version>-x64.msi. Unsigned packages, their bills of materials and
# their manifests are reproducible: two runs on one commit give the same bytes. Every signature
# made is verified before the path is printed.
# Environment:
#   MIRVOT_PACKAGE_VERSION      the package version, major.minor.build (default 1.0.0); the version
#                               record inside Mirvot.exe stays 1.0.0.0
#   MIRVOT_DOWNLOAD_URL         the https folder releases are published in (default
#                               https://<host of the login page>/download); the manifests' installer
#                               URL is <it>/<version>/Mirvot-<version>-x64.msi
#   MIRVOT_RELEASE=1            a release: refuses to finish unless every signature is made with a
#                               key in a token and carries a time stamp
#   signing, with a key in a token (MIRVOT_SIGN_PKCS11_MODULE, MIRVOT_SIGN_PKCS11_KEY,
#   MIRVOT_SIGN_CERTIFICATES, MIRVOT_SIGN_PIN) or in a file (MIRVOT_SIGN_PKCS12,
#   MIRVOT_SIGN_PASSWORD), time-stamped by MIRVOT_SIGN_TIMESTAMP_URL (MIRVOT_SIGN_TIMESTAMP_ROOTS):
#                               see packaging/sign_package.sh
#   MIRVOT_BUILD_DIR            the build folder (default <repo>/build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRVOT_BUILD_DIR:-$root/build}"
version="${MIRVOT_PACKAGE_VERSION:-1.0.0}"
# Checked before the build folder's configuration takes it, so that a mistyped version never
# stays behind there for the test command.
if [[ ! "$version" =~ ^(0|[1-9][0-9]{0,2})\.(0|[1-9][0-9]{0,2})\.(0|[1-9][0-9]{0,4})$ ]] ||
  ((BASH_REMATCH[1] > 255 || BASH_REMATCH[2] > 255 || BASH_REMATCH[3] > 65535)); then
  echo "MIRVOT_PACKAGE_VERSION must be major.minor.build, at most 255.255.65535; got '$version'" >&2
  exit 1
fi

signing=0
if [[ -n "${MIRVOT_SIGN_PKCS11_MODULE:-}${MIRVOT_SIGN_PKCS12:-}" ]]; then
  signing=1
fi
# Refused before anything is built: a release is signed with a key in a token, time-stamped.
if [[ "${MIRVOT_RELEASE:-0}" == 1 &&
  (-z "${MIRVOT_SIGN_PKCS11_MODULE:-}" || -z "${MIRVOT_SIGN_TIMESTAMP_URL:-}") ]]; then
  echo "MIRVOT_RELEASE=1: a release is signed with a key in a token (MIRVOT_SIGN_PKCS11_MODULE)" \
    "and time-stamped (MIRVOT_SIGN_TIMESTAMP_URL)" >&2
  exit 1
fi

bash "$root/scripts/ensure-deps.sh"
# shellcheck source=windows-builds.sh
source "$root/scripts/windows-builds.sh"

echo "== Building Mirvot.exe and the package, version $version"
# The release build is the clang one (README, "Binary rules"), configured as the test command
# configures it, so that neither rebuilds what the other built. Images that break a binary rule
# (every one but Control Flow Guard, which the release build leaves off) are not packaged.
release="$build/win-clang"
mirvot_configure_clang "$release" -DMIRVOT_PACKAGE_VERSION="$version"
ninja --quiet -C "$release" Mirvot mirvot_setup_actions
if ! rules="$(python3 "$root/tests/build_checks/binary_rules.py" --not-required BA2008 \
  "$release/src/shell/Mirvot.exe" "$release/packaging/MirvotSetupActions.dll")"; then
  echo "$rules" >&2
  echo "package.sh: the release images break a binary rule (above); no package" >&2
  exit 1
fi
ninja --quiet -C "$release" mirvot_package

# What the build folder's configuration was given and found.
cached() { sed -n "s/^$1:[A-Z]*=//p" "$release/CMakeCache.txt"; }

name="Mirvot-$version-x64.msi"
output="$build/package/$name"
mkdir -p "$build/package"
if ((signing)); then
  echo "== Signing Mirvot.exe, the setup's custom action and the package"
  bash "$root/packaging/sign_package.sh" "$release/src/shell/Mirvot.exe" \
    "$release/packaging/MirvotSetupActions.dll" "$release/packaging/THIRD-PARTY-NOTICES.txt" \
    "$version" "$(cached MIRVOT_LOGIN_URL)" "$output"
else
  cp -f "$release/package/$name" "$output"
  echo "Unsigned: no key was given, so neither Mirvot.exe nor the package is signed."
fi
sbom="${output%.msi}.cdx.json"
python3 "$root/packaging/sbom.py" --package "$output" --version "$version" \
  --build-dir "$release" --exe "$release/src/shell/Mirvot.exe" \
  --setup-actions "$release/packaging/MirvotSetupActions.dll" --output "$sbom"
echo "Software bill of materials: $(realpath --relative-base="$PWD" "$sbom")"
# The manifests' release date is the commit's, so that they too are the same on every run.
release_date="$(git -C "$root" log -1 --format=%cs 2>/dev/null || true)"
manifests="$(python3 "$root/packaging/winget_manifests.py" --package "$output" \
  --login-url "$(cached MIRVOT_LOGIN_URL)" --output "$build/package" \
  ${MIRVOT_DOWNLOAD_URL:+--download-url "$MIRVOT_DOWNLOAD_URL"} \
  ${release_date:+--release-date "$release_date"})"
echo "winget manifests: $(realpath --relative-base="$PWD" "$manifests")"
echo "$(stat -c %s "$output") bytes, SHA-256 $(sha256sum "$output" | cut -d' ' -f1)"
realpath --relative-base="$PWD" "$output"
