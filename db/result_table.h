// ResultTable: the whole result of an SQL text, fetched at once by sqlite3_get_table,
// walked row by row and read cell by cell as text. The record owns SQLite's table
// while it holds rows; ReleaseTable (or the destructor) gives it back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/exec_sql.h"

namespace kiv::db {

using ColumnNameList = std::vector<std::string>;

struct ResultTable {
  DbHandle *DbRef = nullptr;              // the owner's connection handle, read at query time
  char **Cells = nullptr;                 // SQLite's table: (RowCount+1) x ColumnCount texts, row 0 the names
  ColumnNameList *ColumnNames = nullptr;  // owner's list: after a query with rows, the column names
  int32_t ColumnCount = 0;                // columns, as SQLite reported them
  int32_t RowCount = 0;                   // data rows, row 0 not counted
  int32_t CurrentRow = 0;                 // cursor: 1-based data row, 0 before the first move
  int32_t RowOffset = 0;                  // index in Cells of the cursor row's first cell
  bool Eof = true;                        // cursor past the last row, or no rows
  bool Bof = true;                        // cursor before the first row, or no rows

  ResultTable() noexcept = default;
  ResultTable(const ResultTable &) = delete;
  ResultTable &operator=(const ResultTable &) = delete;
  ~ResultTable();
};

// Puts `table` in the empty state bound to the owner's handle and name list (emptied).
void SetUpTable(ResultTable &table, DbHandle &handle, ColumnNameList &names) noexcept;

// Releases what `table` holds, then runs the zero-terminated `sql` into it. True when
// SQLite reported success; false (table empty) otherwise, and for a none handle, where
// SQLite is not called. A result without rows is given back at once. The cursor stands
// before the first row.
bool QueryTable(ResultTable &table, const char *sql) noexcept;
inline bool QueryTable(ResultTable &table, const std::string &sql) noexcept {
  return QueryTable(table, sql.c_str());
}

// Gives SQLite's table back, empties the name list and returns to the empty state.
// Harmless on an empty or never set-up record.
void ReleaseTable(ResultTable &table) noexcept;

// Cursor moves: to row 1, and one row on. Eof/Bof follow the row count.
void MoveFirst(ResultTable &table) noexcept;
void MoveNext(ResultTable &table) noexcept;

// Cell `n` (from 1) of the cursor row as a view into SQLite's table, up to its first
// NUL and at most 16 MiB. Empty outside the table and for SQL NULL. Before the first
// move the cursor row is row 0, the column names.
std::string_view FieldView(const ResultTable &table, int32_t n) noexcept;

// FieldView as a text of the caller's own.
std::string FieldText(const ResultTable &table, int32_t n);

// Cell `n` of the cursor row up to its first NUL, whatever its length: for values such
// as a large BLOB's quoted text, which the 16 MiB text bound would cut.
std::string_view FieldWhole(const ResultTable &table, int32_t n) noexcept;

}  // namespace kiv::db
