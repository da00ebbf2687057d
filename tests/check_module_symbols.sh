#!/bin/sh
# The module exports exactly the eleven functions of the host interface, and of SQLite
# it uses only the five calls the design allows (no busy handler, no engine option).
set -eu
module=$1
expected="QX_SQLITE_BLOB_GET QX_SQLITE_BLOB_PUT QX_SQLITE_CMD QX_SQLITE_SELECT qvEditAction qvExecAction qvInitPlugIn qvMessage qvRegisterInterfaceAccess qvRegisterPlugIn qvRegisterScriptProcessor"
defined=$(nm -D --defined-only "$module" | awk '{print $3}' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$defined" != "$expected" ]; then
  echo "defined symbols differ:"; echo " got:      $defined"; echo " expected: $expected"; exit 1
fi
sqlite_calls=$(nm -D --undefined-only "$module" | awk '{print $2}' | grep '^sqlite3_' | sed 's/@.*//' | sort | tr '\n' ' ' | sed 's/ $//')
allowed="sqlite3_close sqlite3_errmsg sqlite3_free_table sqlite3_get_table sqlite3_open"
if [ "$sqlite_calls" != "$allowed" ]; then
  echo "SQLite calls differ:"; echo " got:      $sqlite_calls"; echo " expected: $allowed"; exit 1
fi
echo "1 passed, 0 failed"
