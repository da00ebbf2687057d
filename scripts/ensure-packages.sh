#!/bin/sh
# Installs the Debian packages a make target needs, when any is missing. As root it
# runs apt-get; otherwise it prints the apt-get line to run and fails.
#   scripts/ensure-packages.sh native|asan|fuzz|bench|win32
set -eu

case "${1:-native}" in
  native) packages="ccache cmake make g++ binutils libgtest-dev libgmock-dev googletest valgrind clang-format python3" ;;
  asan)   packages="ccache cmake make g++ binutils libgtest-dev libgmock-dev googletest" ;;
  fuzz)   packages="ccache cmake make clang libclang-rt-14-dev" ;;
  bench)  packages="ccache cmake make g++ libbenchmark-dev python3 gnuplot-nox time strace" ;;
  win32)  packages="ccache cmake make binutils g++-mingw-w64-i686 googletest zip unzip python3 python3-markdown" ;;
  *) echo "ensure-packages: unknown set $1" >&2; exit 2 ;;
esac

missing=""
for p in $packages; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in *"ok installed") ;; *) missing="$missing $p" ;; esac
done
# Every build fetches SQLite's source from the npm registry (scripts/fetch-sqlite.sh):
# any npm on the PATH will do, else curl fetches the package file itself.
if ! command -v npm >/dev/null 2>&1 && ! command -v curl >/dev/null 2>&1; then
  missing="$missing curl ca-certificates"
fi
[ -z "$missing" ] && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "Missing Debian packages. Install them with:" >&2
  echo "  sudo apt-get install -y$missing" >&2
  exit 1
fi
echo "Installing:$missing"
# shellcheck disable=SC2086
"$(dirname "$0")/apt-install.sh" $missing
