#!/usr/bin/env bash
# Builds the Debian package the Debian way (dpkg-buildpackage, debian/) and
# writes dist/roofrider_VERSION_ARCH.deb. Installs what is missing first.
#
#   bash scripts/package.sh        then: sudo apt install ./dist/roofrider_*.deb
#
# The build runs in build-package/ on a copy of the source tree (the
# committed files and any new ones not ignored), so the tree itself stays
# clean and dpkg-buildpackage's outputs stay out of its parent folder. Only
# the game is built: no tests, benchmarks, runner or bot (nocheck), and no
# debug-symbol package (noddebs).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)

bash scripts/setup.sh dpkg-dev debhelper
# The rest of debian/control's Build-Depends, when setup.sh's list lacks any.
if ! dpkg-checkbuilddeps 2>/dev/null; then
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
  $SUDO apt-get -o DPkg::Lock::Timeout=600 build-dep -y -qq ./ </dev/null
fi

version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg --print-architecture)
deb=roofrider_${version}_${arch}.deb
work=build-package
tree=$work/roofrider-$version

rm -rf "$work"
mkdir -p "$tree"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z --cached --others --exclude-standard | tar --null --ignore-failed-read -T - -cf - | tar -xf - -C "$tree"
else
  tar --exclude='./build*' --exclude=./dist --exclude=./.git -cf - . | tar -xf - -C "$tree"
fi

echo "package: building $deb in $tree"
(
  cd "$tree"
  DEB_BUILD_OPTIONS="nocheck noddebs parallel=$(nproc)" \
    dpkg-buildpackage --build=binary --no-sign >../dpkg-buildpackage.log 2>&1
) || {
  tail -n 60 "$work/dpkg-buildpackage.log" >&2
  echo "package: dpkg-buildpackage failed; the whole log is $work/dpkg-buildpackage.log" >&2
  exit 1
}

# Only this package in dist/: the README's apt install ./dist/roofrider_*.deb
# must not find an older one beside it.
mkdir -p dist
rm -f dist/roofrider_*.deb
cp "$work/$deb" dist/
echo "package: dist/$deb ($(du -k "dist/$deb" | cut -f1) KiB, installed $(dpkg-deb -f "dist/$deb" Installed-Size) KiB) in $(( $(date +%s) - started )) s"
