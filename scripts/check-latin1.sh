#!/usr/bin/env bash
# Fails when a Latin-1 literal holds a character outside ASCII. The source is UTF-8, so
# QLatin1String("ş") holds two bytes read as two Latin-1 characters: it never equals "ş".
# Such texts must be QStringLiteral (or u"..."_s).
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root"
pattern='(QLatin1(String|StringView|Char)\s*[({]\s*|QString::fromLatin1\s*\(\s*)("[^"]*|'"'"'[^'"'"']*)[^\x00-\x7F]|"[^"]*[^\x00-\x7F][^"]*"_L1'
if LC_ALL=C.UTF-8 grep -rnP --include='*.cpp' --include='*.h' "$pattern" src tools tests bench; then
    echo "error: non-ASCII text in a Latin-1 literal (above); use QStringLiteral" >&2
    exit 1
fi
echo "Latin-1 literals: ASCII only"
