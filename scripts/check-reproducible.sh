#!/bin/bash
# Builds the Windows release a second time, from a copy of the sources in another
# folder, and compares it with the build in BUILD_FOLDER: the zip and every file in it
# must be the same byte for byte (SHA256SUMS). A link time stamp or a folder name that
# creeps into a binary shows here.
#   scripts/check-reproducible.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
copy=$(mktemp -d "${TMPDIR:-/tmp}/kivrepro.XXXXXX")
trap 'rm -rf "$copy"' EXIT
# The tracked and new files as they are now, without the build folders and .git.
(cd "$root" && git ls-files -z --cached --others --exclude-standard | xargs -0 tar -cf - ) |
  tar -xf - -C "$copy"
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
export SOURCE_DATE_EPOCH
cmake --preset win32 -S "$copy" -DKIV_TESTS=OFF > "$copy/configure.log" 2>&1 ||
  { cat "$copy/configure.log"; exit 1; }
cmake --build "$copy/build/win32" --target release_zip -j "$(nproc)" > "$copy/build.log" 2>&1 ||
  { tail -30 "$copy/build.log"; exit 1; }
if ! diff "$build/SHA256SUMS" "$copy/build/win32/SHA256SUMS"; then
  echo "A second build of the same sources in $copy gives other files (above: < this build, > the second)"
  exit 1
fi
cat "$build/SHA256SUMS"
