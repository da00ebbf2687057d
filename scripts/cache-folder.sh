#!/bin/sh
# Prints the cache folder outside the checkout that keeps what builds and clones share:
# SQLite's source package (npm/), compiled objects (ccache/) and Wine's prefix (wine32/).
# $KIV_CACHE when set, else kivsqlite3 in the user's cache folder.
echo "${KIV_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kivsqlite3}"
