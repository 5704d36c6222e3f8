#!/usr/bin/env bash
# Builds the benchmark, makes (once) a demo database of 5,000 units and 100,000 staff and
# measures the start-up of the real program (under Xvfb), the data layer, the browsers and the
# maintenance commands on it against the sqlcipher shell and cp.
#
#   scripts/bench.sh [extra bench_data arguments, e.g. --reps 7]
#   scripts/bench.sh soak [--clients N] [--seconds S]   many offices on a throw-away server
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
# The same numbers with every staff row in one unit, for a title-click sort over 100,000 rows.
oneunit="$cache/units${units}-staff${staff}-big${staff}"

bash "$root/scripts/setup.sh"

# "soak": ten offices on a throw-away server for two minutes, and nothing else.
if [ "${1:-}" = soak ]; then
  shift
  cmake -S "$root" -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target bench_soak
  # shellcheck source=throwaway-server.sh
  source "$root/scripts/throwaway-server.sh"
  start_throwaway_server
  "$build/bin/bench_soak" "$MELTORA_TEST_SERVER" --clients 10 --seconds 120 "$@"
  exit
fi

# Only the programs the measurement needs, so that unrelated work in progress elsewhere in
# the tree does not stop it. The default build type of the project is Release.
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target meltora bench_startup bench_emptywindow bench_data bench_gui bench_excel \
  bench_maintenance bench_reports bench_export meltora-db meltora-xlsread

# make_demo DIR BIG: made aside and moved into place whole, so that an interrupted run never
# leaves a half-filled database behind to be reused.
make_demo() {
  [ -f "$1/Data.dat" ] && return
  mkdir -p "$cache"
  local tmp
  tmp="$(mktemp -d "$cache/making.XXXXXX")"
  echo "Making the demo database ($units units, $staff staff, $2 in one unit) in $1"
  "$build/bin/meltora-db" demo "$tmp" --units "$units" --staff "$staff" --big-unit "$2" || { rm -rf "$tmp"; exit 1; }
  rm -rf "$1"
  mv "$tmp" "$1"
}
make_demo "$data" "$big"
make_demo "$oneunit" "$staff"

command -v sqlcipher >/dev/null || echo "warning: the sqlcipher shell is not installed; references will read n/a" >&2
# Start-up first, from outside, with the real program on an X server of its own (Xvfb).
"$build/bin/bench_startup" "$data" "$@"
echo
"$build/bin/bench_data" "$data" "$@"
echo
QT_QPA_PLATFORM=offscreen "$build/bin/bench_gui" "$data" --one-unit "$oneunit" "$@"

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
echo
QT_QPA_PLATFORM=offscreen "$build/bin/bench_export" "$data" "$@"
