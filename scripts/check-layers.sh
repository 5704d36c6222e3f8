#!/usr/bin/env bash
# Fails when a folder of src/ includes a header of a folder that is not below it. The layers,
# and so the includes allowed, are written once here; CMakeLists.txt links the same way.
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root/src"

# folder: the folders it may include besides itself
declare -A allowed=(
    [data]=""
    [reports/engine]="data"
    [toolkit]="data"
    [entry]="data toolkit"
    [reports]="data reports/engine toolkit"
    [maintenance]="data toolkit"
    [settings]="data toolkit"
    [info]="data toolkit"
    [app]="data reports/engine toolkit entry reports maintenance settings info"
)

failed=0
for folder in "${!allowed[@]}"; do
    files=$(find "$folder" -maxdepth 1 -name '*.cpp' -o -maxdepth 1 -name '*.h')
    [ -n "$files" ] || continue
    while IFS=: read -r file line include; do
        target=$(sed -E 's/.*#include "([^"]+)\/[^/"]+".*/\1/' <<<"$include")
        [ "$target" = "$folder" ] && continue
        ok=0
        for permitted in ${allowed[$folder]}; do
            [ "$target" = "$permitted" ] && ok=1
        done
        if [ $ok -eq 0 ]; then
            echo "src/$file:$line: $folder may not include $target/ (${include#*#include })" >&2
            failed=1
        fi
    done < <(grep -nE '^\s*#\s*include "[^"]+/[^"]+"' $files /dev/null || true)
done
# The layers without widgets are built without Qt Widgets, so <QWidget> cannot be found
# there; a header named through its module's folder would still be, so it is refused here.
if grep -rnE '^\s*#\s*include <Qt(Widgets|PrintSupport|Multimedia)/' data reports/engine >&2; then
    echo "the widget-free layers may not include Qt Widgets, PrintSupport or Multimedia (above)" >&2
    failed=1
fi
# A folder nobody placed in a layer would escape the check.
for folder in $(find . -mindepth 1 -type d | sed 's|^\./||'); do
    if [ -z "${allowed[$folder]+set}" ]; then
        echo "src/$folder: a folder outside the layers; add it to scripts/check-layers.sh" >&2
        failed=1
    fi
done
if [ $failed -ne 0 ]; then
    echo "error: includes that go against the layers (above)" >&2
    exit 1
fi
echo "Layers: every include goes downwards"
