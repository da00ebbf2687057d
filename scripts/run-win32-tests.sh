#!/bin/bash
# The Windows stage: checks the shipped binaries, then runs the Windows test program and
# kivhost.exe under Wine, comparing kivhost.exe's output with the Linux kivhost's.
#   scripts/run-win32-tests.sh WIN32_BIN_FOLDER NATIVE_BIN_FOLDER
set -euo pipefail
win=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

"$here/check-win32-binary.sh" "$win" "$win/../exports/exports.txt"

WINEPREFIX=$("$here/setup-wine.sh" | tail -n 1)
export WINEPREFIX WINEDEBUG=-all
# One wineserver for the whole stage, so Wine's services start once (minutes under the
# emulator); its output goes nowhere, or it would hold our pipes open.
wineserver -p 900 </dev/null >/dev/null 2>&1 || true  # one may be running already

work=$(mktemp -d "${TMPDIR:-/tmp}/kivwin.XXXXXX")
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT

echo "== Windows tests (kiv_win32_tests.exe under Wine)"
(cd "$win" && wine kiv_win32_tests.exe)

echo "== kivhost.exe prints what kivhost prints"
failed=0
# The output differs only in Windows' CR LF line ends (values show CR as \r).
compare() {
  local name=$1; shift
  (cd "$work" && rm -f test.db && wine "$win/kivhost.exe" "$@" | tr -d '\r') > "$work/$name.win" || true
  (cd "$work" && rm -f test.db && "$native/kivhost" "$@") > "$work/$name.linux" || true
  if cmp -s "$work/$name.win" "$work/$name.linux"; then
    echo "[       OK ] kivhost $*"
  else
    echo "[  FAILED  ] kivhost $*"; diff "$work/$name.linux" "$work/$name.win" || true; failed=1
  fi
}
# Every kivhost.exe start costs about a minute under the emulator: two comparisons.
compare list list
compare select run 2 "test.db|SELECT 1|res"
[ $failed = 0 ] && echo "2 passed, 0 failed" || { echo "0 passed, 1 failed"; exit 1; }
