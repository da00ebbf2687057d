#!/bin/sh
# Fetches the one SQLite source every build uses: SQLite's own autoconf tarball
# (sqlite3.c, sqlite3.h, shell.c, Makefile.msc), as the npm registry's sqlite3 package
# carries it, pinned by version and checked against SHA-256s. The package is kept in a
# cache folder outside the checkout, so later builds need no network.
#   scripts/fetch-sqlite.sh DEST_FOLDER
set -eu
package=sqlite3
version=6.0.1                       # carries sqlite-autoconf-3520000: SQLite 3.52.0
autoconf=sqlite-autoconf-3520000
package_sha256=ab8d044a93e05bd031d7ea75547c7fa60387cdc259d27f93c0e3e2832c4b1df9
autoconf_sha256=f6b50b0c103392af32a8be15b2b9d25959de9a00a70c3979128aafeaa5338b3f
sources_sha256="a503acc9fe98f628eed36eb2aa2116a26f2541270d757f9b7cdbc2f19eb72b8f  sqlite3.c
37537d6131c1d2e507b34a6cee5590e27cedb7d82f543f257afbc72c0cbbcc22  sqlite3.h
7b16b5c30784f82f3a1c233fae38cefdbbf82d4d963ee133f22332013afcb781  shell.c"

dest=$1
cache="$("$(dirname "$0")/cache-folder.sh")/npm"
tgz="$cache/$package-$version.tgz"

have() { [ -f "$1" ] && [ "$(sha256sum "$1" | cut -d' ' -f1)" = "$2" ]; }
sources_ok() { (cd "$dest" 2>/dev/null && echo "$sources_sha256" | sha256sum --check --quiet --status); }

sources_ok && exit 0
mkdir -p "$cache" "$dest"
if ! have "$tgz" "$package_sha256"; then
  echo "Fetching SQLite's source: $package@$version from the npm registry"
  rm -f "$tgz"
  url="https://registry.npmjs.org/$package/-/$package-$version.tgz"
  if command -v npm >/dev/null 2>&1; then
    (cd "$cache" && npm pack "$package@$version" --silent >/dev/null)
  elif command -v curl >/dev/null 2>&1; then
    curl -fsSL -o "$tgz" "$url"
  else
    wget -q -O "$tgz" "$url"
  fi
  have "$tgz" "$package_sha256" || { echo "fetch-sqlite: checksum mismatch for $tgz" >&2; rm -f "$tgz"; exit 1; }
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xzf "$tgz" -C "$work" "package/deps/$autoconf.tar.gz"
have "$work/package/deps/$autoconf.tar.gz" "$autoconf_sha256" ||
  { echo "fetch-sqlite: checksum mismatch for $autoconf.tar.gz" >&2; exit 1; }
tar -xzf "$work/package/deps/$autoconf.tar.gz" -C "$dest" --strip-components=1 \
  "$autoconf/sqlite3.c" "$autoconf/sqlite3.h" "$autoconf/sqlite3ext.h" "$autoconf/shell.c" \
  "$autoconf/Makefile.msc" "$autoconf/VERSION"
sources_ok || { echo "fetch-sqlite: source checksum mismatch in $dest" >&2; exit 1; }
