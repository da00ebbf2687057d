#!/bin/sh
# Packs the Windows release, every file at the zip's root so that "Extract All" into a
# folder gives the folder README.txt speaks of: the plug-in, sqlite3.dll, kivhost.exe,
# README.txt, REFERENCE.txt (its one-page reference alone) and CHANGELOG.txt (the
# Markdown made plain text for Notepad by scripts/readme-txt.py), README.html (the same guide for a browser, by
# scripts/readme-html.py), LICENSE.txt, and examples\ (scripts for kivhost, with CR LF
# line ends, and their pictures). The zip is the same byte for byte from every build of
# a commit: fixed entry order, times (the commit's, or SOURCE_DATE_EPOCH) and
# permissions, and no extra fields. SHA256SUMS beside it lists the zip and each file in it.
#   scripts/make-release-zip.sh ZIP KivSQLite3.dll sqlite3.dll kivhost.exe SOURCE_FOLDER
set -eu
zip=$1; plugin=$2; sqlite=$3; host=$4; source=$5
case $zip in /*) ;; *) zip="$PWD/$zip" ;; esac  # zip runs from the staging folder
root=$(cd "$(dirname "$0")/.." && pwd)
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1767225600)}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/examples"
cp "$plugin" "$sqlite" "$host" "$stage/"
"$root/scripts/readme-txt.py" "$source/README.md" "$stage/README.txt"
"$root/scripts/readme-txt.py" "$source/README.md" "$stage/REFERENCE.txt" "One-page reference"
"$root/scripts/readme-txt.py" "$source/CHANGELOG.md" "$stage/CHANGELOG.txt"
"$root/scripts/readme-html.py" "$source/README.md" "$stage/README.html"
crlf() { sed 's/$/\r/' "$1" > "$2"; }
crlf "$source/LICENSE" "$stage/LICENSE.txt"
for f in "$source"/examples/*; do
  case $f in
    *.txt) crlf "$f" "$stage/examples/$(basename "$f")" ;;
    *) cp "$f" "$stage/examples/" ;;
  esac
done
chmod 755 "$stage/examples"
find "$stage" -type f -exec chmod 644 {} +
# zip stores local time: UTC, so the entries carry the same time everywhere.
export TZ=UTC
find "$stage" -exec touch -h -d "@$epoch" {} +
rm -f "$zip"
files=$(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
# shellcheck disable=SC2086
(cd "$stage" && zip -q -X -D "$zip" $files)
# shellcheck disable=SC2086
(cd "$stage" && sha256sum $files && cd "$(dirname "$zip")" && sha256sum "$(basename "$zip")") \
  > "$(dirname "$zip")/SHA256SUMS"
echo "Wrote $zip and SHA256SUMS"
