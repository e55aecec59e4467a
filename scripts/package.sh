#!/usr/bin/env bash
# Builds the release Mirvot.exe (the clang build) and its Windows Installer package, and writes the software bill of
# materials beside it (Mirvot-<version>-x64.cdx.json, CycloneDX 1.5); the last line printed is the
# package's path, build/package/Mirvot-<version>-x64.msi. Unsigned packages and their bills of
# materials are reproducible: two runs on one commit give the same bytes. Every signature made is
# verified before the path is printed.
# Environment:
#   MIRVOT_PACKAGE_VERSION      the package version, major.minor.build (default 1.0.0); the version
#                               record inside Mirvot.exe stays 1.0.0.0
#   MIRVOT_SIGN_PKCS12          sign Mirvot.exe and the package with this certificate (PKCS#12)
#   MIRVOT_SIGN_PASSWORD        the certificate's password
#   MIRVOT_SIGN_TIMESTAMP_URL   an RFC 3161 time stamp server for the signatures (without one,
#                               a warning: they stop being valid when the certificate expires)
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
if [[ -n "${MIRVOT_SIGN_PKCS12:-}" ]]; then
  echo "== Signing Mirvot.exe and the package with $MIRVOT_SIGN_PKCS12"
  bash "$root/packaging/sign_package.sh" "$release/src/shell/Mirvot.exe" \
    "$release/packaging/MirvotSetupActions.dll" "$release/packaging/THIRD-PARTY-NOTICES.txt" \
    "$version" "$(cached MIRVOT_LOGIN_URL)" "$output"
  if [[ -n "${MIRVOT_SIGN_TIMESTAMP_URL:-}" ]]; then
    echo "Signed (SHA-256 Authenticode, time-stamped) and verified: Mirvot.exe, the setup's" \
      "custom action and the package."
  else
    echo "Signed (SHA-256 Authenticode) and verified, WITHOUT a time stamp: Mirvot.exe, the" \
      "setup's custom action and the package."
  fi
else
  cp -f "$release/package/$name" "$output"
  echo "Unsigned: no MIRVOT_SIGN_PKCS12 was given, so neither Mirvot.exe nor the package is signed."
fi
sbom="${output%.msi}.cdx.json"
python3 "$root/packaging/sbom.py" --package "$output" --version "$version" \
  --compiler "$(cached MIRVOT_RELEASE_COMPILER)" --output "$sbom"
echo "Software bill of materials: $(realpath --relative-base="$PWD" "$sbom")"
echo "$(stat -c %s "$output") bytes, SHA-256 $(sha256sum "$output" | cut -d' ' -f1)"
realpath --relative-base="$PWD" "$output"
