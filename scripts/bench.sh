#!/usr/bin/env bash
# Builds the benchmark, makes (once) a demo database of 5,000 units and 100,000 staff and
# measures the data layer, the browsers and the maintenance commands on it against the
# sqlcipher shell and cp.
#
#   scripts/bench.sh [extra bench_data arguments, e.g. --reps 7]
#
# The database is kept in MELTORA_BENCH_DIR (default: the user's cache folder) because making
# it takes a while and every run should read the same rows.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MELTORA_BUILD_DIR:-$root/build}"
cache="${MELTORA_BENCH_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/meltora-bench}"
units=5000
staff=100000
big=2000
data="$cache/units${units}-staff${staff}-big${big}"

# Only the programs the measurement needs, so that unrelated work in progress elsewhere in
# the tree does not stop it. The default build type of the project is Release.
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target bench_data bench_gui bench_excel bench_maintenance bench_reports meltora-db meltora-xlsread

if [ ! -f "$data/Data.dat" ]; then
  mkdir -p "$cache"
  # Made aside and moved into place whole, so that an interrupted run never leaves a
  # half-filled database behind to be reused.
  tmp="$(mktemp -d "$cache/making.XXXXXX")"
  trap 'rm -rf "$tmp"' EXIT
  echo "Making the demo database ($units units, $staff staff) in $data"
  "$build/bin/meltora-db" demo "$tmp" --units "$units" --staff "$staff" --big-unit "$big"
  rm -rf "$data"
  mv "$tmp" "$data"
  trap - EXIT
fi

command -v sqlcipher >/dev/null || echo "warning: the sqlcipher shell is not installed; references will read n/a" >&2
"$build/bin/bench_data" "$data" "$@"
echo
QT_QPA_PLATFORM=offscreen "$build/bin/bench_gui" "$data" "$@"

# The Excel import of 5,000-row workbooks, written once by the fixture script.
books="$cache/workbooks-5000"
if [ ! -f "$books/bench-5000.xlsx" ]; then
  tmp="$(mktemp -d "$cache/making.XXXXXX")"
  /usr/bin/python3 "$root/tests/fixtures/make_workbooks.py" "$tmp" --rows 5000 >/dev/null
  rm -rf "$books"
  mv "$tmp" "$books"
fi
echo
QT_QPA_PLATFORM=offscreen "$build/bin/bench_excel" "$data" "$books" "$@"
echo
QT_QPA_PLATFORM=offscreen "$build/bin/bench_maintenance" "$data" "$@"
echo
QT_QPA_PLATFORM=offscreen "$build/bin/bench_reports" "$data" "$@"
