#!/usr/bin/env bash
# The package is reproducible: built again from copies of the same inputs, with other file times,
# in another folder and time zone, it has the same bytes, and it holds no build path or host
# name. Built from other content it gets another package code.
#   reproducible_test.sh <source dir> <package> <Mirvot.exe> <setup actions> <notices> <version>
#                        <login URL> <scratch>
set -euo pipefail
source_dir="$1" package="$2" exe="$3" actions="$4" notices="$5" version="$6" login_url="$7"
scratch="$8"
package="$(realpath "$package")"
fail() { echo "FAIL: $*"; exit 1; }
package_code() { msiinfo suminfo "$1" | sed -n 's/^Revision number (UUID): //p'; }

rm -rf "$scratch"
mkdir -p "$scratch/inputs"
cp "$exe" "$actions" "$notices" "$scratch/inputs/"
touch -d '2001-02-03 04:05:06' "$scratch/inputs/"*
chmod 755 "$scratch/inputs/"*
copy() { echo "$scratch/inputs/$(basename "$1")"; }
again() {  # <output>
  TZ=Pacific/Auckland python3 "$source_dir/packaging/build_msi.py" --exe "$(copy "$exe")" \
    --setup-actions "$(copy "$actions")" --notices "$(copy "$notices")" --version "$version" \
    --login-url "$login_url" --output "$1"
}

again "$scratch/again.msi"
cmp "$package" "$scratch/again.msi" || fail "a second build of the package differs"

# Written to files first: with pipefail, a grep -q that stops reading early would fail its
# writer and hide the match.
{ strings -a "$package"; strings -a -e l "$package"; } >"$scratch/strings.txt"
for leak in "$source_dir" "$(dirname "$package")"; do
  if grep -q -F "$leak" "$scratch/strings.txt"; then
    fail "the package contains '$leak'"
  fi
done
# A host name reaches a package only through the installer database's own records (a build
# path aside, checked above). It is looked for there as a whole word: a short name such as
# "vm" turns up by chance in the compressed payload's bytes.
# (Exported from the scratch folder: a table with streams also writes them out as files.)
(
  cd "$scratch"
  msiinfo suminfo "$package"
  msiinfo tables "$package" | while read -r table; do msiinfo export "$package" "$table"; done
) >"$scratch/database.txt"
if grep -q -w -i -F "$(hostname)" "$scratch/database.txt"; then
  fail "the installer database names the host '$(hostname)'"
fi

printf '\r\nOne line more.\r\n' >>"$(copy "$notices")"
again "$scratch/changed.msi"
[[ "$(package_code "$scratch/changed.msi")" != "$(package_code "$package")" ]] ||
  fail "other content kept the package code $(package_code "$package")"

echo "ok: $(stat -c %s "$package") bytes, package code $(package_code "$package")"
rm -rf "$scratch"
