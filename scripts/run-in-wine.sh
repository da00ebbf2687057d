#!/bin/bash
# Runs a Windows program under Wine in this machine's prefix (made first where it is
# missing) from the current folder, shows its output as it comes, and exits with its
# status. The output goes through a file, never straight to our own standard output: Wine
# hands the program's handles on to the helper services it starts with the session, which
# outlive the program, and a pipe they hold never ends for whoever reads it (ctest waited
# on one for good).
#   scripts/run-in-wine.sh PROGRAM [ARGUMENT...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
WINEPREFIX=$("$here/setup-wine.sh" | tail -n 1)
# C.UTF-8: Wine writes names outside ASCII (the ANSI-named folders of the tests) as UTF-8.
export WINEPREFIX WINEDEBUG=-all LC_ALL=C.UTF-8
out=$(mktemp "${TMPDIR:-/tmp}/kivwine.XXXXXX")
trap 'rm -f "$out"' EXIT
wine "$@" </dev/null >"$out" 2>&1 &
program=$!
tail -n +1 -f --pid="$program" "$out"
wait "$program"
