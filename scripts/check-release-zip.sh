#!/bin/bash
# The release zip as an author meets it: unpacked into a new folder, it holds exactly
# the files its guide names, at its root, its texts with CR LF line ends for Notepad,
# and every example script, run from that folder with kivhost (the Linux one: the
# Windows tests show that kivhost.exe answers the same), gives the answers it shows in
# its "#>" lines. SHA256SUMS lists the zip as it is.
#   scripts/check-release-zip.sh BUILD_FOLDER NATIVE_BIN_FOLDER EXAMPLE...
# EXAMPLE: the names of the files of examples/, as the build packs them.
set -euo pipefail
build=$(cd "$1" && pwd)
kivhost=$(cd "$2" && pwd)/kivhost
shift 2
zip=$(ls "$build"/KivSQLite3-*-win32.zip)
folder=$(mktemp -d "${TMPDIR:-/tmp}/kivzip.XXXXXX")
trap 'rm -rf "$folder"' EXIT
fail=0
(cd "$build" && grep " $(basename "$zip")\$" SHA256SUMS | sha256sum --check --quiet) ||
  { echo "SHA256SUMS does not list $zip as it is"; fail=1; }
unzip -q "$zip" -d "$folder"
cd "$folder"
expected=$({ printf '%s\n' CHANGELOG.txt KivSQLite3.dll LICENSE.txt README.txt README.html \
  REFERENCE.txt kivhost.exe sqlite3.dll; printf 'examples/%s\n' "$@"; } | LC_ALL=C sort | tr '\n' ' ')
if [ "$(find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')" != "$expected" ]; then
  echo "the zip holds other files than its guide names:"; find . -type f; fail=1
fi
for text in README.txt REFERENCE.txt README.html CHANGELOG.txt LICENSE.txt examples/*.txt; do
  if [ ! -s "$text" ] || grep -qv $'\r$' "$text"; then
    echo "$text lacks CR LF line ends"; fail=1
  fi
done
for text in README.txt REFERENCE.txt CHANGELOG.txt LICENSE.txt; do
  # Columns are characters: UTF-8's continuation bytes take none.
  wide=$(tr -d '\r' < "$text" | LC_ALL=C sed 's/[\x80-\xbf]//g' | awk 'length > 80 { print NR }')
  [ -z "$wide" ] || { echo "$text has lines over 80 columns:" $wide; fail=1; }
done
! grep -q 'README\.md' README.txt README.html || { echo "the guide names README.md"; fail=1; }
for script in examples/*.txt; do
  shown=$(grep '^#> ' "$script" | sed 's/^#> //; s/\r$//; s/ *$//')
  got=$("$kivhost" script "$script" 2>&1 | sed 's/ *$//') || { echo "$script: kivhost failed"; fail=1; }
  if [ "$got" != "$shown" ]; then
    echo "$script answers otherwise than it shows:"; diff <(echo "$shown") <(echo "$got") || true
    fail=1
  fi
done
exit $fail
