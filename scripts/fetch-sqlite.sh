#!/bin/sh
# Fetches the SQLite amalgamation for the Windows build: sqlite3.c and sqlite3.h from
# the npm package better-sqlite3 (deps/sqlite3/), a pinned version checked against its
# SHA-256. The package is kept in a cache folder so later builds need no network.
#   scripts/fetch-sqlite.sh DEST_FOLDER
set -eu
package=better-sqlite3
version=12.11.1            # carries SQLite 3.53.2
tarball_sha256=ebf0ed75a7a59dbcb3b24bbd014ef49d9f15bc328e4adcbf516f2a8fadfa2835
sqlite_c_sha256=60d2f39a3726cd6b9021da6f4e868608d66fbb6528a9f513dc8ffcc640493422
sqlite_h_sha256=9e69a1353a4288450b0d5239ede11fc7f1f4c8e5eb07491fc8317eacb5b7de7e

dest=$1
cache="${KIV_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kivsqlite3}/npm"
tgz="$cache/$package-$version.tgz"

have() { [ -f "$1" ] && [ "$(sha256sum "$1" | cut -d' ' -f1)" = "$2" ]; }

if have "$dest/sqlite3.c" "$sqlite_c_sha256" && have "$dest/sqlite3.h" "$sqlite_h_sha256"; then
  exit 0
fi
mkdir -p "$cache" "$dest"
if ! have "$tgz" "$tarball_sha256"; then
  echo "Fetching $package@$version (SQLite amalgamation) with npm pack"
  rm -f "$tgz"
  (cd "$cache" && npm pack "$package@$version" --silent >/dev/null)
  have "$tgz" "$tarball_sha256" || { echo "fetch-sqlite: checksum mismatch for $tgz" >&2; rm -f "$tgz"; exit 1; }
fi
tar -xzf "$tgz" -C "$dest" --strip-components=3 package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
have "$dest/sqlite3.c" "$sqlite_c_sha256" && have "$dest/sqlite3.h" "$sqlite_h_sha256" ||
  { echo "fetch-sqlite: amalgamation checksum mismatch" >&2; exit 1; }
