// ResultTable: the whole result of an SQL text, fetched at once by sqlite3_get_table,
// walked row by row and read cell by cell as text. The record owns SQLite's table while
// it holds rows and gives it back on ReleaseTable or when it goes out of scope; it
// points into nothing of its caller. Code that only reads cells takes a CellView.
#pragma once

#include <cstdint>
#include <string_view>

#include "db/database.h"

namespace kiv::db {

// Rows of zero-terminated cell texts in sqlite3_get_table's layout, owned elsewhere:
// (rows + 1) x columns pointers, row after row, row 0 the column names; a null pointer
// stands for SQL NULL.
struct CellView {
  char *const *cells = nullptr;  // row 0 first; null when there are no rows
  int32_t rows = 0;              // data rows, row 0 not counted
  int32_t columns = 0;           // cells per row
};

struct ResultTable {
  char **Cells = nullptr;   // SQLite's table while RowCount > 0, else none
  int32_t ColumnCount = 0;  // columns, as SQLite reported them
  int32_t RowCount = 0;     // data rows, row 0 (the column names) not counted
  int32_t CurrentRow = 0;   // cursor: 1-based data row, 0 before the first move
  int32_t RowOffset = 0;    // index in Cells of the cursor row's first cell
  bool Eof = true;          // cursor past the last row, or no rows
  bool Bof = true;          // cursor before the first row, or no rows

  ResultTable() noexcept = default;
  ResultTable(const ResultTable &) = delete;
  ResultTable &operator=(const ResultTable &) = delete;
  ~ResultTable();
};

// Releases what `table` holds, then runs the zero-terminated `sql` on `handle` into it.
// True when SQLite reported success; false (table empty) otherwise, and for a none
// handle, where SQLite is not called. A result without rows is given back at once. The
// cursor stands before the first row.
bool QueryTable(ResultTable &table, DbHandle handle, const char *sql) noexcept;

// Gives SQLite's table back and returns to the empty state. Harmless on an empty record.
void ReleaseTable(ResultTable &table) noexcept;

// Cursor moves: to row 1, and one row on. Eof/Bof follow the row count.
void MoveFirst(ResultTable &table) noexcept;
void MoveNext(ResultTable &table) noexcept;

// Cell `n` (from 1) of the cursor row, up to its first NUL and at most 16 MiB: a view
// into the table, valid until it is released. Empty outside the table and for SQL NULL.
// Before the first move the cursor row is row 0, the column names.
std::string_view FieldText(const ResultTable &table, int32_t n) noexcept;

// Cell `n` of the cursor row up to its first NUL, whatever its length: for values such
// as a large BLOB's quoted text, which the 16 MiB text bound would cut.
std::string_view FieldWhole(const ResultTable &table, int32_t n) noexcept;

// The name of column `n` (from 1) of a result with rows; empty otherwise.
std::string_view ColumnName(const ResultTable &table, int32_t n) noexcept;

// The table's cells for reading.
CellView Cells(const ResultTable &table) noexcept;

}  // namespace kiv::db
