#!/usr/bin/env bash
# Checks the Debian package of a built tree (the ctest "package" runs it on the build folder):
# it is made by CPack, lintian finds no error in it, the desktop entry and the AppStream
# file validate, and the program unpacked into a temporary root starts under Xvfb with a
# fresh home folder, making its register in that home's data folder.
#   bash scripts/check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
server=""
program=""
finish() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    [ -n "$server" ] && kill "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

echo "== package"
cd "$build"
rm -f meltora_*.deb
cpack -G DEB >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$build"/meltora_*_amd64.deb)
echo "$deb"
dpkg-deb --field "$deb" Depends

echo "== lintian"
# Errors and warnings fail the check; none is left, nor overridden.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" || fail "lintian reports errors or warnings"

echo "== desktop entry and AppStream"
desktop-file-validate "$root/packaging/tr.org.meltora.Meltora.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$root/packaging/tr.org.meltora.Meltora.metainfo.xml" \
    || fail "appstreamcli validate"

echo "== unpacked and started"
dpkg-deb -x "$deb" "$work/root"
bin="$work/root/usr/bin"
[ -x "$work/root/usr/libexec/meltora/meltora-xlsread" ] || fail "workbook reader not in libexec"
[ -f "$work/root/usr/share/meltora/Yardim/hakkinda.html" ] || fail "help topics not in share"
# --help and --version answer without a display.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/meltora" --help >"$work/help.txt" \
    || fail "meltora --help"
grep -q "Kullanım: meltora" "$work/help.txt" || fail "--help is not the Turkish usage"
env -u DISPLAY -u QT_QPA_PLATFORM "$bin/meltora" --version | grep -qx "Meltora [0-9.]*" \
    || fail "meltora --version"

home="$work/home"
mkdir -p "$home"
# An X server of our own on a free display: another may hold the number picked, and a busy
# machine may take seconds to start it.
display=""
for _ in $(seq 5); do
    candidate=":$((100 + RANDOM % 800))"
    [ -e "/tmp/.X11-unix/X${candidate#:}" ] && continue
    Xvfb "$candidate" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    server=$!
    for _ in $(seq 200); do
        if xwininfo -root -display "$candidate" >/dev/null 2>&1; then
            display=$candidate
            break
        fi
        kill -0 "$server" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$display" ] && break
    kill "$server" 2>/dev/null || true
done
[ -n "$display" ] || { cat "$work/xvfb.log"; fail "no X server could be started"; }
env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$display" LANG=C.UTF-8 \
    "$bin/meltora" >"$work/meltora.log" 2>&1 &
program=$!
shown=""
for _ in $(seq 300); do
    if xwininfo -root -tree -display "$display" 2>/dev/null | grep -q '"MELTORA 2.0'; then
        shown=yes
        break
    fi
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
[ -n "$shown" ] || { cat "$work/meltora.log"; fail "the main window did not come up"; }
echo "main window: $(xwininfo -root -tree -display "$display" | grep -o '"MELTORA 2.0[^"]*"' | head -1)"
[ -f "$home/.local/share/Meltora/Data.dat" ] || fail "Data.dat not made in the home's data folder"
[ ! -e "$bin/Data.dat" ] || fail "Data.dat made beside the program"
echo "register: $home/.local/share/Meltora/Data.dat"
echo "package checks passed"
