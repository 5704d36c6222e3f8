#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Meltora need.
# Quick when everything is already there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n qt6-multimedia-dev libgl1-mesa-dev
  libqt6svg6
  libsqlcipher-dev sqlcipher libpq-dev postgresql-15 libfreexl-dev libquazip1-qt6-dev libsodium-dev libcups2-dev
  fonts-liberation
  xvfb xauth libx11-dev poppler-utils
  python3 python3-xlwt python3-openpyxl
  dpkg-dev file lintian desktop-file-utils appstream x11-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
