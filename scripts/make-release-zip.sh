#!/bin/sh
# Packs the Windows release: the plug-in, sqlite3.dll, kivhost.exe and README.txt, the
# authors' part of README.md as plain text for Notepad (scripts/readme-txt.py). The zip is the same byte for byte
# from every build of a commit: fixed entry order, times (the commit's, or
# SOURCE_DATE_EPOCH) and permissions, and no extra fields. SHA256SUMS beside it lists the
# zip and each file in it.
#   scripts/make-release-zip.sh ZIP KivSQLite3.dll sqlite3.dll kivhost.exe README.md
set -eu
zip=$1; plugin=$2; sqlite=$3; host=$4; readme=$5
case $zip in /*) ;; *) zip="$PWD/$zip" ;; esac  # zip runs from the staging folder
root=$(cd "$(dirname "$0")/.." && pwd)
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1767225600)}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir="$stage/KivSQLite3"
mkdir -p "$dir"
cp "$plugin" "$sqlite" "$host" "$dir/"
"$root/scripts/readme-txt.py" "$readme" "$dir/README.txt"
chmod 755 "$dir"
chmod 644 "$dir"/*
# zip stores local time: UTC, so the entries carry the same time everywhere.
export TZ=UTC
find "$stage" -exec touch -h -d "@$epoch" {} +
rm -f "$zip"
files="KivSQLite3.dll README.txt kivhost.exe sqlite3.dll"
(cd "$stage" && zip -q -X -D "$zip" $(for f in $files; do echo "KivSQLite3/$f"; done))
(cd "$dir" && sha256sum $files && cd "$(dirname "$zip")" && sha256sum "$(basename "$zip")") \
  > "$(dirname "$zip")/SHA256SUMS"
echo "Wrote $zip and SHA256SUMS"
