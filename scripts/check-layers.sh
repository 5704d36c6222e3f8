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
    [reports/export]="data"
    [toolkit]="data"
    [entry]="data toolkit"
    [reports]="data reports/engine reports/export toolkit"
    [maintenance]="data toolkit"
    [settings]="data toolkit"
    [info]="data toolkit"
    [app]="data reports/engine reports/export toolkit entry reports maintenance settings info"
)

failed=0
rules=$(for folder in "${!allowed[@]}"; do echo "$folder ${allowed[$folder]}"; done)
# One pass over every include that names a folder: file, line, the folder it names.
if ! grep -rnE '^\s*#\s*include "[^"]+/[^"]+"' --include='*.cpp' --include='*.h' . |
    awk -v rules="$rules" '
        BEGIN {
            n = split(rules, lines, "\n")
            for (i = 1; i <= n; i++) {
                k = split(lines[i], words, " ")
                for (j = 2; j <= k; j++) ok[words[1] SUBSEP words[j]] = 1
            }
        }
        {
            split($0, part, ":")
            file = substr(part[1], 3)
            folder = file; sub(/\/[^\/]+$/, "", folder)
            match($0, /#[ \t]*include "[^"]+"/)
            target = substr($0, RSTART, RLENGTH)
            sub(/^#[ \t]*include "/, "", target); sub(/\/[^\/]+"$/, "", target)
            if (target != folder && !((folder SUBSEP target) in ok)) {
                printf "src/%s:%s: %s may not include %s/\n", file, part[2], folder, target
                bad = 1
            }
        }
        END { exit bad }' >&2; then
    failed=1
fi
# The layers without widgets are built without Qt Widgets, so <QWidget> cannot be found
# there; a header named through its module's folder would still be, so it is refused here.
if grep -rnE '^\s*#\s*include <Qt(Widgets|PrintSupport|Multimedia)/' data reports/engine reports/export >&2; then
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
