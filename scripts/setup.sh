#!/usr/bin/env bash
# Installs what building, playing and testing Roof Rider need on Debian 12,
# and the packages named as arguments (scripts/package.sh names the Debian
# packaging tools). Safe to run again: it installs only what is missing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ clang pkg-config
  libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libfontconfig-dev zlib1g-dev
  timgm6mb-soundfont fluidsynth lame
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-kouzan-mouhitsu fonts-rocknroll fonts-dejavu-core
  libgtest-dev libbenchmark-dev libclang-rt-14-dev
  xvfb openbox xdotool x11-utils
  "$@"
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  # Another apt run (an unattended upgrade, a parallel build) holds the lock
  # for a while: wait for it rather than fail.
  lock=(-o DPkg::Lock::Timeout=600)
  $SUDO apt-get "${lock[@]}" update -qq
  $SUDO apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
