#!/bin/sh
# Checks on the shipped Windows binaries that no test program can make:
# - KivSQLite3.dll exports exactly the Windows names of the export list (exports.txt,
#   which the build makes from include/kivsqlite3.h);
# - it imports only KERNEL32.dll and msvcrt.dll (SQLite is bound at run time), has no
#   TLS directory, and each function it imports is one Windows XP SP3 had
#   (windows-xp-sp3-imports.txt); sqlite3.dll likewise, but for the DLL names;
# - kivhost.exe needs no DLL a Windows machine lacks;
# - the DLL has one version resource with VERSION and the identity texts the build gave
#   it (CMakeLists.txt's KIV_AUTHOR and KIV_DESCRIPTION);
# - no shipped binary carries a link time stamp or the build's folders (what would make
#   two builds of one commit differ).
#   scripts/check-win32-binary.sh BIN_FOLDER EXPORTS_TXT VERSION SOURCE_FOLDER AUTHOR DESCRIPTION
set -eu
bin=$1
list=$2
version=$3
source=$4
author=$5
description=$6
here=$(cd "$(dirname "$0")" && pwd)
objdump=i686-w64-mingw32-objdump
fail=0

exports=$($objdump -p "$bin/KivSQLite3.dll" |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
expected=$(awk '{print $2}' "$list" | sort | tr '\n' ' ')
if [ "$exports" != "$expected" ]; then
  echo "KivSQLite3.dll exports: $exports"; echo "expected:              $expected"; fail=1
fi

dlls() { $objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | sort | tr '\n' ' '; }
# "DLL function" for every function a binary imports.
functions() {
  $objdump -p "$1" | awk -F'\t' '/DLL Name:/ { split($0, a, ": "); dll = a[2]; next }
    dll != "" && NF >= 3 && $2 ~ /^[0-9a-f]+$/ { n = split($3, b, " "); print dll " " b[n] }' | sort -u
}
check_dlls() {
  got=$(dlls "$bin/$1")
  [ "$got" = "$2" ] || { echo "$1 imports: $got (expected: $2)"; fail=1; }
}
check_dlls KivSQLite3.dll "KERNEL32.dll msvcrt.dll "
check_dlls sqlite3.dll "KERNEL32.dll msvcrt.dll "
check_dlls kivhost.exe "KERNEL32.dll msvcrt.dll "
for dll in KivSQLite3.dll sqlite3.dll; do
  newer=$(functions "$bin/$dll" | grep -vxF -f "$here/windows-xp-sp3-imports.txt" || true)
  if [ -n "$newer" ]; then
    echo "$dll imports functions Windows XP SP3 lacks (or not yet listed):"; echo "$newer"; fail=1
  else
    echo "$dll: $(functions "$bin/$dll" | wc -l) imported functions, all present in Windows XP SP3"
  fi
done
tls=$($objdump -p "$bin/KivSQLite3.dll" | sed -n 's/^Entry 9 \([0-9a-f]*\) .*Thread Storage Directory.*/\1/p')
[ "$tls" = "00000000" ] || { echo "KivSQLite3.dll has a TLS directory ($tls)"; fail=1; }

texts=$(strings -el -n 3 "$bin/KivSQLite3.dll")
for text in "$author" "$description" "KivSQLite 3" "$version"; do
  echo "$texts" | grep -qx "$text" || { echo "KivSQLite3.dll version resource lacks \"$text\""; fail=1; }
done
resources=$(echo "$texts" | grep -c '^VS_VERSION_INFO$')
[ "$resources" = 1 ] || { echo "KivSQLite3.dll has $resources version resources"; fail=1; }

build=$(cd "$bin/.." && pwd)
for file in KivSQLite3.dll sqlite3.dll kivhost.exe; do
  stamp=$($objdump -p "$bin/$file" | sed -n 's/^Time\/Date\s*//p')
  case "$stamp" in
    *1970*) ;;
    *) echo "$file carries a link time stamp: $stamp"; fail=1 ;;
  esac
  if strings -a "$bin/$file" | grep -qF -e "$build" -e "$source"; then
    echo "$file carries the path of the build or source folder"; fail=1
  fi
done

exit $fail
