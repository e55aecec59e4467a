#!/usr/bin/env bash
# Installs what building and testing need, on Debian, as root. Quiet and quick when everything
# is already there; runs apt-get update at most once. LLVM's tools are the house version
# (llvm-tools.sh) where the release offers it, else the newest installed (14 or later), with
# clang's companions (compiler-rt for the fuzz targets, lld) for that version; Wine is whichever
# the release provides. The npm
# packages of the bill-of-materials validator (tools/sbom_validator, pinned by its
# package-lock.json) go into the build folder (MIRVOT_BUILD_DIR, default build/),
# node/node_modules.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=llvm-tools.sh
source "$root/scripts/llvm-tools.sh"

packages=(
  cmake ninja-build g++ python3 util-linux
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  xvfb xauth x11-utils
  googletest libstb-dev
  wixl msitools faketime osslsigncode openssl
  # Signing with a key in a token (osslsigncode's PKCS#11 engine), and the token the tests use.
  libengine-pkcs11-openssl softhsm2
)
if [[ "${MIRVOT_EXTRA_PACKAGES:-}" != "" ]]; then
  read -r -a extra <<<"${MIRVOT_EXTRA_PACKAGES}"
  packages+=("${extra[@]}")
fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

updated=0
install_missing() {
  local missing=() p
  for p in "$@"; do
    installed "$p" || missing+=("$p")
  done
  ((${#missing[@]} > 0)) || return 0
  # Two runs starting at once on a fresh machine: one installs, the other waits for it and
  # then finds what is still missing (apt itself would refuse the second at once).
  exec 201>/var/lock/mirvot-ensure-deps.lock
  flock 201
  local still_missing=()
  for p in "${missing[@]}"; do
    installed "$p" || still_missing+=("$p")
  done
  missing=("${still_missing[@]}")
  if ((${#missing[@]} == 0)); then
    flock -u 201
    return 0
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ((updated == 0)); then
    apt-get update -qq
    updated=1
  fi
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  flock -u 201
}

# Whether the release offers a package; a fresh machine may have no package lists yet.
offered() {
  apt-cache show "$1" >/dev/null 2>&1 && return 0
  ((updated == 0)) || return 1
  apt-get update -qq
  updated=1
  apt-cache show "$1" >/dev/null 2>&1
}

# Node.js and npm run the validator of the software bill of materials; any release's will do.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
# Wine from the release's package: wine64 where it exists, otherwise wine.
if ! installed wine64 && ! installed wine; then
  if offered wine64; then packages+=(wine64); else packages+=(wine); fi
fi
# The style checks and the release build want the house version of clang, clang-format and
# clang-tidy (llvm-tools.sh) where the release offers it, whatever else is installed.
for tool in clang clang-format clang-tidy; do
  if installed "$tool-$mirvot_house_llvm_version" || offered "$tool-$mirvot_house_llvm_version"; then
    packages+=("$tool-$mirvot_house_llvm_version")
  else
    mirvot_llvm_tool "$tool" >/dev/null || packages+=("$tool")
  fi
done
install_missing "${packages[@]}"

# The companions of the clang in use: libFuzzer and the sanitizers, and its linker.
hash -r
clang_version="$(mirvot_llvm_version "$(mirvot_house_tool clang++ 2>/dev/null)")"
install_missing "libclang-rt-$clang_version-dev" "lld-$clang_version"

# The validator's npm packages, exactly as the lock file pins them; installed again only when the
# lock file changes (the copy beside node_modules records what was installed).
node_dir="${MIRVOT_BUILD_DIR:-$root/build}/node"
lock="$root/tools/sbom_validator/package-lock.json"
mkdir -p "$node_dir"
exec 202>"$node_dir/.install.lock"
flock 202
if ! cmp -s "$lock" "$node_dir/node_modules/.installed-lock.json"; then
  echo "Installing the npm packages of tools/sbom_validator"
  rm -rf "$node_dir/node_modules"
  cp "$root/tools/sbom_validator/package.json" "$lock" "$node_dir/"
  if ! npm ci --prefix "$node_dir" --no-audit --no-fund --loglevel=error >"$node_dir/npm.log" 2>&1; then
    cat "$node_dir/npm.log" >&2
    echo "ensure-deps.sh: npm ci failed in $node_dir" >&2
    exit 1
  fi
  cp "$lock" "$node_dir/node_modules/.installed-lock.json"
fi
flock -u 202
