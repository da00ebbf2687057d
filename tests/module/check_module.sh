#!/bin/sh
# Checks on the built module that no single test can make:
# - it exports exactly the names of KIV_EXPORTS (the exports.txt the build made of it);
# - of SQLite it calls exactly the functions of KIV_ENGINE_FUNCTIONS (engine.txt beside
#   exports.txt; no busy handler, no engine option);
# - it calls nothing of the C++ library that can throw (operator new, the __throw_*
#   helpers): with exceptions off, a throw would end the host's process;
# - no source file of the module includes a header by a relative path, the one way
#   around the layer folders that the build cannot see.
#   check_module.sh MODULE EXPORTS_TXT SOURCE_ROOT LAYER_FOLDER...
set -eu
module=$1; list=$2; root=$3
shift 3  # the layer folders: KIV_LAYERS of CMakeLists.txt
fail=0
expected=$(awk '{print $1}' "$list" | sort | tr '\n' ' ')
defined=$(nm -D --defined-only "$module" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$defined" != "$expected" ]; then
  echo "defined symbols differ:"; echo " got:      $defined"; echo " expected: $expected"; fail=1
fi
undefined=$(nm -D --undefined-only "$module" | awk '{print $2}' | sed 's/@.*//')
sqlite_calls=$(echo "$undefined" | grep '^sqlite3_' | sort | tr '\n' ' ')
allowed=$(sort "$(dirname "$list")/engine.txt" | tr '\n' ' ')
if [ "$sqlite_calls" != "$allowed" ]; then
  echo "SQLite calls differ:"; echo " got:      $sqlite_calls"; echo " expected: $allowed"; fail=1
fi
throwing=$(echo "$undefined" | grep -E '^_Zn[wa]|__throw_|__cxa_throw|__cxa_allocate_exception' || true)
if [ -n "$throwing" ]; then
  echo "the module calls C++ library functions that throw:"; echo "$throwing"; fail=1
fi
relative=$(cd "$root" && for layer in "$@"; do grep -n '#include "\.\.' "$layer"/* || true; done)
if [ -n "$relative" ]; then
  echo "relative includes bypass the layer folders:"; echo "$relative"; fail=1
fi
exit $fail
