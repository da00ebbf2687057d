#!/bin/sh
# The shipped DLL exports exactly the Windows names of the export list (exports.txt,
# which the build makes from include/kivsqlite3.h) and imports only KERNEL32.dll,
# msvcrt.dll and sqlite3.dll; kivhost.exe and sqlite3.dll need nothing a Windows
# machine lacks; the DLL has one version resource with the module's texts.
#   scripts/check-win32-binary.sh BIN_FOLDER EXPORTS_TXT
set -eu
bin=$1
list=$2
objdump=i686-w64-mingw32-objdump
fail=0

exports=$($objdump -p "$bin/KivSQLite3.dll" |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
expected=$(awk '{print $2}' "$list" | sort | tr '\n' ' ')
if [ "$exports" != "$expected" ]; then
  echo "KivSQLite3.dll exports: $exports"; echo "expected:              $expected"; fail=1
fi

imports() { $objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | sort | tr '\n' ' '; }
check_imports() {
  got=$(imports "$bin/$1")
  [ "$got" = "$2" ] || { echo "$1 imports: $got (expected: $2)"; fail=1; }
}
check_imports KivSQLite3.dll "KERNEL32.dll msvcrt.dll sqlite3.dll "
check_imports sqlite3.dll "KERNEL32.dll msvcrt.dll "
check_imports kivhost.exe "KERNEL32.dll msvcrt.dll "

version=$(strings -el -n 3 "$bin/KivSQLite3.dll")
for text in "Sqlite Database Handler" "KivSQLite 3" "1.0"; do
  echo "$version" | grep -qx "$text" || { echo "KivSQLite3.dll version resource lacks \"$text\""; fail=1; }
done
[ $fail = 0 ] && echo "1 passed, 0 failed" || { echo "0 passed, 1 failed"; exit 1; }
