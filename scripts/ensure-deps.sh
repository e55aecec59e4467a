#!/usr/bin/env bash
# Installs what building and testing need, on Debian, as root. Quiet and quick when everything
# is already there; runs apt-get update at most once.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine64 xvfb xauth x11-utils
  googletest libstb-dev
  clang-14 libclang-rt-14-dev
  wixl msitools faketime osslsigncode openssl
)
if [[ "${MIRVOT_EXTRA_PACKAGES:-}" != "" ]]; then
  read -r -a extra <<<"${MIRVOT_EXTRA_PACKAGES}"
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
