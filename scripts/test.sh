#!/usr/bin/env bash
# Builds Meltora and runs every test, the windows under Qt's offscreen platform: once on the
# register in a file, and the tests labelled "server" once more on a throw-away PostgreSQL
# server that this script starts (Unix socket only, Turkish ICU collation) and stops again,
# also when a test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"

# shellcheck source=throwaway-server.sh
source "$root/scripts/throwaway-server.sh"
start_throwaway_server

cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 "$@"
