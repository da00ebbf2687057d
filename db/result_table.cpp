// ResultTable operations over the engine's sqlite3_get_table and sqlite3_free_table.
#include "db/result_table.h"

#include <cstring>

#include "base/byte_buffer.h"
#include "db/engine.h"

namespace kiv::db {
namespace {

// Puts the cursor on `row` and sets the end flags from the row count.
void SetCursor(ResultTable &table, int32_t row) noexcept {
  table.CurrentRow = row;
  table.Eof = false;
  table.Bof = false;
  if (table.RowCount < 1) {
    table.Eof = true;
    table.Bof = true;
  } else if (table.CurrentRow < 1) {
    table.Bof = true;
  } else if (table.CurrentRow > table.RowCount) {
    table.Eof = true;
  }
  // Past the last row it is never read; the product is taken wide so that it is defined.
  table.RowOffset =
      static_cast<int32_t>(static_cast<int64_t>(table.ColumnCount) * table.CurrentRow);
}

}  // namespace

ResultTable::~ResultTable() { ReleaseTable(*this); }

bool QueryTable(const DbHandle &db, const char *sql, ResultTable &table) noexcept {
  ReleaseTable(table);
  if (db.connection == nullptr) return false;
  const Engine *engine = TheEngine();  // a handle means the engine is bound
  char **cells = nullptr;
  int rows = 0;
  int columns = 0;
  if (engine->sqlite3_get_table(db.connection, sql, &cells, &rows, &columns, nullptr) !=
      SQLITE_OK) {
    engine->sqlite3_free_table(cells);
    return false;
  }
  table.ColumnCount = columns;
  if (rows == 0) {
    engine->sqlite3_free_table(cells);
    return true;
  }
  table.Cells = cells;
  table.RowCount = rows;
  return true;
}

void ReleaseTable(ResultTable &table) noexcept {
  if (table.RowCount != 0)
    TheEngine()->sqlite3_free_table(table.Cells);  // cells mean a bound engine
  table.Cells = nullptr;
  table.ColumnCount = 0;
  table.RowCount = 0;
  table.CurrentRow = 0;
  table.RowOffset = 0;
  table.Eof = true;
  table.Bof = true;
}

void MoveFirst(ResultTable &table) noexcept { SetCursor(table, 1); }

void MoveNext(ResultTable &table) noexcept { SetCursor(table, table.CurrentRow + 1); }

std::string_view UnboundedFieldText(const ResultTable &table, int32_t n) noexcept {
  const char *cell = CellAt(table, n);
  return cell == nullptr ? std::string_view() : std::string_view(cell, std::strlen(cell));
}

}  // namespace kiv::db
