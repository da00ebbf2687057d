#!/bin/bash
# The demo: kivhost drives the module as an author's script would, in a fresh folder.
#   scripts/demo.sh BIN_FOLDER
set -euo pipefail
bin=$(cd "$1" && pwd)
kivhost="$bin/kivhost"
[ -x "$kivhost" ] || kivhost="$bin/kivhost.exe"
work=$(mktemp -d "${TMPDIR:-/tmp}/kivdemo.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
db="$work/shop.db"

step() { printf '\n== %s\n' "$*"; }
# Each command as it can be pasted into a shell: every argument quoted, so that the
# "|" between fields stays in the parameter text instead of making a pipe.
quoted() {
  local arg
  for arg in "$@"; do
    case "$arg" in
      *[\"\$\`\\!]*) printf " '%s'" "${arg//\'/\'\\\'\'}" ;;
      *[!A-Za-z0-9_./-]* | "") printf ' "%s"' "$arg" ;;
      *) printf ' %s' "$arg" ;;
    esac
  done
}
run() { printf '$ kivhost run%s\n' "$(quoted "$@")"; "$kivhost" run "$@"; }

step "The module as the host sees it"
"$kivhost" list
"$kivhost" info

step "Create a database and a table, insert rows (action 1, QX_SqLite_cmd)"
run 1 "$db|CREATE TABLE stock(id INTEGER PRIMARY KEY, item TEXT, n INTEGER, photo BLOB)|answer"
run 1 "$db|INSERT INTO stock(item, n) VALUES('apples', 12); INSERT INTO stock(item, n) VALUES('pears', 7); INSERT INTO stock(item, n) VALUES('plums', NULL)|answer"
run QX_SqLite_cmd "$db|UPDATE stock SET n = n - 1 WHERE id = 1|answer"

step "Query (action 2, QX_SqLite_Select): the record set, one row per line"
run 2 "$db|SELECT id, item, n FROM stock ORDER BY id|rows"
echo "The same text taken apart as a script would (rows end in CR, cells joined by |):"
"$kivhost" run --raw 2 "$db|SELECT id, item, n FROM stock ORDER BY id|rows" |
  tr '\r' '\n' | awk -F'|' '{ printf "  id=%-3s item=%-8s n=%s\n", $1, $2, ($3 == "" ? "(empty)" : $3) }'

step "Errors come back as answer texts"
run 1 "$db|INSERT INTO nosuch VALUES(1)|answer"
run 2 "$db|SELECT * FROM nosuch|answer"
run 2 "$work/no/such/folder/x.db|SELECT 1|answer"
echo "A failing statement inside BEGIN leaves nothing behind:"
run 1 "$db|BEGIN; DELETE FROM stock; INSERT INTO nosuch VALUES(1)|answer"
run 2 "$db|SELECT count(*) FROM stock|count"

step "Store a file in a BLOB (action 4) and get it back (action 3)"
head -c 100000 /dev/urandom > "$work/photo.jpg"
run 4 "$db|stock|photo|1|$work/photo.jpg|answer"
run 3 "$db|stock|photo|1|$work/copy.jpg|answer"
if cmp -s "$work/photo.jpg" "$work/copy.jpg"; then
  echo "photo.jpg and copy.jpg are identical ($(wc -c < "$work/copy.jpg") bytes)"
else
  echo "photo.jpg and copy.jpg differ" >&2; exit 1
fi
run 2 "$db|SELECT id, length(photo) FROM stock WHERE photo IS NOT NULL|sizes"

step "kivhost is yours to try"
echo "kivhost is $kivhost; put it on your PATH for this shell with"
echo "  export PATH=\"$bin:\$PATH\""
echo "and run the examples of README.md (\"Trying it on Linux\")."
