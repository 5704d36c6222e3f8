#!/usr/bin/env bash
# Builds Meltora and runs every test, the windows under Qt's offscreen platform.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 "$@"
