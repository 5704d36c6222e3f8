#!/usr/bin/env bash
# Builds Meltora and starts it on the database beside it (build/bin/Data.dat).
#   --demo   start it in build/demo instead, on a database of demo units and staff
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
folder="$root/build/bin"
if [ "${1:-}" = "--demo" ]; then
  folder="$root/build/demo"
  mkdir -p "$folder"
  cp "$root/build/bin/meltora" "$root/build/bin/meltora-xlsread" "$folder/"
  cp -r "$root/build/bin/Yardim" "$folder/" 2>/dev/null || true
  [ -f "$folder/Data.dat" ] || "$root/build/bin/meltora-db" demo "$folder" --units 200 --staff 5000
fi
cd "$folder"
exec ./meltora
