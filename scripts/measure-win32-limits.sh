#!/bin/bash
# Runs kiv_win32_limits.exe under Wine with the plug-in and sqlite3.dll in a folder of
# their own, as authors install them, and prints what it measured.
#   scripts/measure-win32-limits.sh WIN32_BIN_FOLDER
set -euo pipefail
win=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kivlimits.XXXXXX")
trap '"$here/setup-wine.sh" --stop; rm -rf "$work"' EXIT
mkdir -p "$work/plug"
cp "$win/KivSQLite3.dll" "$win/sqlite3.dll" "$win/kiv_win32_limits.exe" "$work/plug/"
cd "$work"
"$here/run-in-wine.sh" "$work/plug/kiv_win32_limits.exe" "Z:$(echo "$work/plug/KivSQLite3.dll" | tr / '\134')" | tr -d '\r'
