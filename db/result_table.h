// ResultTable: the whole result of an SQL text, fetched at once by sqlite3_get_table,
// walked row by row with MoveFirst and MoveNext until Eof and read cell by cell with
// FieldText (or UnboundedFieldText): the one way the actions read a result. The record owns
// SQLite's table while it holds rows and gives it back on ReleaseTable or when it goes
// out of scope; it points into nothing of its caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/byte_buffer.h"
#include "db/database.h"

namespace kiv::db {

struct ResultTable {
  char **Cells = nullptr;   // SQLite's table while RowCount > 0, else null; row 0 the names
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

// Runs the zero-terminated `sql` on `db` into `table`, releasing what it held first; the
// cursor stands before the first row. True when SQLite reported success; false, with
// `table` empty, otherwise and for an empty handle.
bool QueryTable(const DbHandle &db, const char *sql, ResultTable &table) noexcept;

// Gives SQLite's table back and returns to the empty state. Harmless on an empty record.
void ReleaseTable(ResultTable &table) noexcept;

// Cursor moves: to row 1, and one row on. Eof/Bof follow the row count.
void MoveFirst(ResultTable &table) noexcept;
void MoveNext(ResultTable &table) noexcept;

// The cell pointer for column `n` of the cursor row, or null outside the table.
inline const char *CellAt(const ResultTable &table, int32_t n) noexcept {
  if (n < 1 || n > table.ColumnCount) return nullptr;
  if (table.Cells == nullptr || table.CurrentRow < 0 || table.CurrentRow > table.RowCount)
    return nullptr;
  return table.Cells[static_cast<std::size_t>(table.RowOffset) + static_cast<std::size_t>(n - 1)];
}

// Cell `n` (from 1) of the cursor row, up to its first NUL and at most 16 MiB: a view
// into the table, valid until it is released. Empty outside the table and for SQL NULL.
// Before the first move the cursor row is row 0, the column names. Inline: the query
// action reads every cell of a record set through it.
inline std::string_view FieldText(const ResultTable &table, int32_t n) noexcept {
  return BoundedText(CellAt(table, n));
}

// Cell `n` of the cursor row up to its first NUL, whatever its length: for values such
// as a large BLOB's quoted text, which the 16 MiB text bound would cut.
std::string_view UnboundedFieldText(const ResultTable &table, int32_t n) noexcept;

}  // namespace kiv::db
