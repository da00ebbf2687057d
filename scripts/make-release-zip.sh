#!/bin/sh
# Packs the Windows release: the plug-in, sqlite3.dll, kivhost.exe and ACTIONS.txt (the
# README's action reference, with CR LF line ends for Windows editors).
#   scripts/make-release-zip.sh ZIP KivSQLite3.dll sqlite3.dll kivhost.exe README.md
set -eu
zip=$1; plugin=$2; sqlite=$3; host=$4; readme=$5
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir="$stage/KivSQLite3"
mkdir -p "$dir"
cp "$plugin" "$sqlite" "$host" "$dir/"
awk '/^## Action reference/ { on = 1 } /^## / && !/^## Action reference/ { on = 0 } on' "$readme" |
  sed 's/$/\r/' > "$dir/ACTIONS.txt"
[ -s "$dir/ACTIONS.txt" ] || { echo "make-release-zip: no action reference in $readme" >&2; exit 1; }
rm -f "$zip"
(cd "$stage" && zip -q -X -r "$zip" KivSQLite3)
echo "Wrote $zip"
