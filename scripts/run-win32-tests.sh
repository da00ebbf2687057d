#!/bin/bash
# The Windows stage under Wine, in one Wine session: the Windows test program runs with
# the plug-in and sqlite3.dll in plug\, as authors install them, and itself starts
# kivhost.exe for the command-line checks (each Wine start costs a minute or more under
# the emulator). kivhost's output is compared with what the Linux kivhost prints for the
# same commands, written beforehand to expected\.
# Then kivhost.exe once more, with UTF-8 as its ANSI code page.
#   scripts/run-win32-tests.sh WIN32_BIN_FOLDER NATIVE_BIN_FOLDER [TEST PROGRAM OPTIONS...]
set -euo pipefail
win=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/kivwin.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/host" "$work/plug" "$work/run" "$work/expected"
cp "$win/kiv_win32_tests.exe" "$win/kivhost.exe" "$work/host/"
cp "$win/KivSQLite3.dll" "$win/sqlite3.dll" "$work/plug/"
windows() { echo "Z:$1" | tr / '\134'; }  # \134: the backslash

# What kivhost.exe must show as the Linux kivhost does: its list, and the answers of a
# script (the test program runs the script with a kivhost.exe of its own). kivhost.exe
# gets the script as Notepad saves it, UTF-8 with its mark, here with CR-only line ends
# and a final Ctrl-Z, and must run it as the host's ANSI text (cp1252: "é" is E9);
# the Linux kivhost gets the same lines in cp1252.
"$native/kivhost" list > "$work/expected/list.out"
printf '%s\r' "1 test.db|CREATE TABLE t(a, b); INSERT INTO t VALUES(1, 'x')|ok" \
  "2 test.db|SELECT a, b, NULL FROM t|rows" "2 test.db|SELECT * FROM nosuch|rows" \
  "1 test.db|INSERT INTO t VALUES(2, 'été')|ok" "2 test.db|SELECT hex(b) FROM t WHERE a = 2|rows" \
  > "$work/expected/script.utf8"
{ printf '\357\273\277'; cat "$work/expected/script.utf8"; printf '\032'; } > "$work/expected/script.txt"
iconv -f UTF-8 -t CP1252 "$work/expected/script.utf8" | tr '\r' '\n' > "$work/expected/script.ansi"
(cd "$work/run" && "$native/kivhost" script "$work/expected/script.ansi" > "$work/expected/script.out" &&
  rm test.db)
grep -q '^rows = E974E9' "$work/expected/script.out"
"$native/kivhost" help > "$work/expected/help.out"

# The session started and settled first: its start-up, in which Wine's services crash
# now and then under the emulator, is over (README, "The Windows release").
"$here/setup-wine.sh" --start >/dev/null
cd "$work/run"
status=0
KIV_MODULE=$(windows "$work/plug/KivSQLite3.dll") KIV_EXPECTED=$(windows "$work/expected") \
  "$here/run-in-wine.sh" "$work/host/kiv_win32_tests.exe" "${@:3}" || status=$?

# kivhost.exe with UTF-8 as its ANSI code page, which Wine takes from the program's
# manifest (with LC_ALL=C.UTF-8 alone it stays 1252): the host's text is then UTF-8, as
# on Linux, a name included.
mkdir "$work/utf8"
cp "$work/host/kivhost.exe" "$here/../tests/win32/kivhost.exe.manifest" "$work/utf8/"
printf "2 r\303\251glages.db|SELECT hex('\303\251')|r\r\n" > "$work/utf8/utf8.txt"
(cd "$work/utf8" &&
  "$here/run-in-wine.sh" kivhost.exe --module "$(windows "$work/plug/KivSQLite3.dll")" script utf8.txt) |
  tee "$work/utf8.log"
if ! grep -q '^r = C3A9' "$work/utf8.log" || [ ! -f "$work/utf8/"$'r\303\251glages.db' ]; then
  echo "run-win32-tests.sh: kivhost.exe with UTF-8 as its ANSI code page did not pass UTF-8 on" >&2
  status=1
fi
exit $status
