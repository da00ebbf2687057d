#!/bin/bash
# The Windows stage: checks the shipped binaries, then runs the Windows test program and
# kivhost.exe under Wine, laid out as authors install them: the programs in host\, the
# plug-in with sqlite3.dll in plug\, and in bare\ a plug-in without sqlite3.dll.
# kivhost.exe's output is compared with the Linux kivhost's. Every Wine process costs
# about a minute under the emulator, so there are few.
#   scripts/run-win32-tests.sh WIN32_BIN_FOLDER NATIVE_BIN_FOLDER
set -euo pipefail
win=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

"$here/check-win32-binary.sh" "$win" "$win/../exports/exports.txt"

WINEPREFIX=$("$here/setup-wine.sh" | tail -n 1)
# C.UTF-8: Wine writes names outside ASCII (the ANSI-named folders of the tests) as UTF-8.
export WINEPREFIX WINEDEBUG=-all LC_ALL=C.UTF-8
# One wineserver for the whole stage, so Wine's services start once (minutes under the
# emulator); its output goes nowhere, or it would hold our pipes open.
wineserver -p 900 </dev/null >/dev/null 2>&1 || true  # one may be running already

work=$(mktemp -d "${TMPDIR:-/tmp}/kivwin.XXXXXX")
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/host" "$work/plug" "$work/bare" "$work/run"
cp "$win/kiv_win32_tests.exe" "$win/kivhost.exe" "$work/host/"
cp "$win/KivSQLite3.dll" "$win/sqlite3.dll" "$work/plug/"
cp "$win/KivSQLite3.dll" "$work/bare/"
windows() { echo "Z:$1" | tr '/' '\\'; }
plug=$(windows "$work/plug/KivSQLite3.dll")
bare=$(windows "$work/bare/KivSQLite3.dll")

echo "== Windows tests (host\\kiv_win32_tests.exe, plug-in in plug\\, under Wine)"
(cd "$work/run" && KIV_MODULE="$plug" wine "$work/host/kiv_win32_tests.exe")

echo "== kivhost.exe prints what kivhost prints"
failed=0
# The output differs only in Windows' CR LF line ends (values show CR as \r).
compare() {
  local name=$1; shift
  (cd "$work/run" && rm -f test.db && wine "$work/host/kivhost.exe" --module "$plug" "$@" | tr -d '\r') > "$work/$name.win" || true
  (cd "$work/run" && rm -f test.db && "$native/kivhost" "$@") > "$work/$name.linux" || true
  if cmp -s "$work/$name.win" "$work/$name.linux"; then
    echo "[       OK ] kivhost $*"
  else
    echo "[  FAILED  ] kivhost $*"; diff "$work/$name.linux" "$work/$name.win" || true; failed=$((failed + 1))
  fi
}
compare list list
compare select run 2 "test.db|SELECT 1|res"

echo "== A plug-in folder without sqlite3.dll: the plug-in loads, and every action answers"
expect() {
  local what=$1 pattern=$2; shift 2
  local out
  out=$(cd "$work/run" && wine "$work/host/kivhost.exe" --module "$bare" "$@" 2>&1 | tr -d '\r' || true)
  if echo "$out" | grep -qxF -- "$pattern"; then
    echo "[       OK ] $what"
  else
    echo "[  FAILED  ] $what: expected the line \"$pattern\" in:"; echo "$out"; failed=$((failed + 1))
  fi
}
expect "run 2 answers the open error" "res = Error: unable to open database" run 2 "test.db|SELECT 1|res"
expect "info names the file it tried" \
  "engine: none: tried $(windows "$work/bare/")sqlite3.dll and Windows' search; every action answers \"Error: unable to open database\"" info
[ $failed = 0 ] && echo "4 passed, 0 failed" || { echo "$((4 - failed)) passed, $failed failed"; exit 1; }
