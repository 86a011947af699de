#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when some are missing.
# Safe to run again: with everything present it does nothing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
  librtmidi-dev jackd2 libjack-jackd2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth imagemagick
  fonts-dejavu-core poppler-utils
  librsvg2-bin desktop-file-utils appstream shared-mime-info man-db groff-base file
  dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether to enable realtime scheduling; answer for it.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections 2>/dev/null || true
# A machine whose last package run was cut off refuses every install until dpkg
# finishes what it started; finish it first (a no-op on a sound machine).
$sudo dpkg --configure -a
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
