#!/usr/bin/env bash
# Builds Meltora and makes its Debian package, build/meltora_<version>_amd64.deb.
# Install it with:  sudo apt install ./build/meltora_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
cd "$root/build"
rm -f meltora_*.deb
cpack -G DEB >/dev/null
ls "$root"/build/meltora_*.deb
