#!/usr/bin/env bash
# Installs what is missing and builds the program, the tools, the tests and the benchmarks.
# The program folder is build/bin: meltora, an empty Data.dat beside it, Yardim/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" --parallel "$(nproc)"
