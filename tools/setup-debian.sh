#!/usr/bin/env bash
# Installs the Debian packages Voranth needs to build, test and run, when they are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins
  libzip-dev libgtest-dev libgmock-dev
  openarena-server ioquake3-server
  ioquake3 openarena libgl1-mesa-dri  # a real game client joins the test server (software rendering)
  xvfb xauth xterm imagemagick x11-utils xdotool  # xdotool: tools/screenshots.sh opens the preferences
  clang libclang-rt-dev  # the fuzz harnesses (libFuzzer)
  unzip  # only for the reference pipeline of bench/ScanBench
  desktop-file-utils appstream man-db groff-base dpkg-dev  # the install test and the .deb
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
