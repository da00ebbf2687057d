#!/bin/sh
# Packs the Windows release: the plug-in, sqlite3.dll, kivhost.exe and README.txt, the
# authors' part of README.md (everything before "## For developers", without the test's
# markers) with CR LF line ends for Windows editors.
#   scripts/make-release-zip.sh ZIP KivSQLite3.dll sqlite3.dll kivhost.exe README.md
set -eu
zip=$1; plugin=$2; sqlite=$3; host=$4; readme=$5
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir="$stage/KivSQLite3"
mkdir -p "$dir"
cp "$plugin" "$sqlite" "$host" "$dir/"
awk '/^## For developers/ { exit } !/^<!-- walkthrough/' "$readme" | sed 's/$/\r/' > "$dir/README.txt"
grep -q '^## Action reference' "$dir/README.txt" ||
  { echo "make-release-zip: no action reference in $readme" >&2; exit 1; }
rm -f "$zip"
(cd "$stage" && zip -q -X -r "$zip" KivSQLite3)
echo "Wrote $zip"
