#!/usr/bin/env bash
# Builds the Debian package from the working tree and checks it with lintian.
# What only packaging needs (debhelper, lintian and the build dependencies of
# debian/control) is installed here, on demand, not by the set-up of the test
# command. The tree is copied to a temporary folder first, since
# dpkg-buildpackage writes its results beside the tree it builds; the .deb,
# .buildinfo and .changes end up in build/package/.
#   dpkg-dev      dpkg-buildpackage
#   debhelper     dh and its CMake support (debhelper-compat 13)
#   lintian       the package's check
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

needed=(dpkg-dev debhelper lintian)
# The build dependencies, read from debian/control.
mapfile -t build_deps < <(sed -n '/^Build-Depends:/,/^[A-Z]/p' debian/control |
  sed '1s/^Build-Depends://; /^[A-Z]/d' | tr ',' '\n' |
  sed 's/(.*)//; s/^[[:space:]]*//; s/[[:space:]]*$//' | grep -v '^$' | grep -v '^debhelper-compat')
missing=()
for p in "${needed[@]}" "${build_deps[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

version=$(dpkg-parsechangelog -S Version)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree="$work/parlind-$version"
mkdir -p "$tree"
# The tracked files and the new ones not ignored, as they are in the tree now.
git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do
    if [ -e "$f" ]; then printf '%s\0' "$f"; fi
  done | xargs -0 cp --parents -t "$tree"

echo "== dpkg-buildpackage -us -uc -b =="
(cd "$tree" && dpkg-buildpackage -us -uc -b)

out=build/package
mkdir -p "$out"
rm -f "$out"/parlind[-_]*
cp "$work"/parlind[-_]*.deb "$work"/parlind_*.buildinfo "$work"/parlind_*.changes "$out"/
changes=$(ls "$out"/parlind_*.changes)

echo "== lintian =="
# lintian exits non-zero on errors; warnings and notes are printed.
lintian --info --display-info --pedantic "$changes"
echo "Package: $(ls "$out"/parlind_*.deb)"
