#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what VELDRAPLOT needs to build, run and test on Debian 12.
# Quick when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-charts-dev qt6-svg-dev
  qt6-image-formats-plugins
  libgif-dev libpng-dev libfontconfig-dev libgl-dev fonts-dejavu-core time
  clang clang-format libclang-rt-14-dev
  xvfb xauth xdotool xclip imagemagick x11-utils
  cups cups-bsd cups-client poppler-utils librsvg2-bin libxml2-utils python3 strace
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
