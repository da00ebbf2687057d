// ResultTable operations over the engine's sqlite3_get_table and sqlite3_free_table.
#include "db/result_table.h"

#include <cstring>

#include "base/byte_buffer.h"
#include "db/engine.h"

namespace kiv::db {
namespace {

// The cell pointer for column n of row `row`, or null outside the table.
const char *CellAt(const ResultTable &table, int32_t row, int32_t n) noexcept {
  if (n < 1 || n > table.ColumnCount) return nullptr;
  if (table.Cells == nullptr || row < 0 || row > table.RowCount) return nullptr;
  return table.Cells[static_cast<std::size_t>(table.ColumnCount) * static_cast<std::size_t>(row) +
                     static_cast<std::size_t>(n - 1)];
}

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
  table.RowOffset = table.ColumnCount * table.CurrentRow;
}

}  // namespace

ResultTable::~ResultTable() { ReleaseTable(*this); }

bool QueryTable(ResultTable &table, DbHandle handle, const char *sql) noexcept {
  ReleaseTable(table);
  if (handle == nullptr) return false;
  const Engine *engine = TheEngine();  // a handle means the engine is bound
  char **cells = nullptr;
  int rows = 0;
  int columns = 0;
  if (engine->get_table(handle, sql, &cells, &rows, &columns, nullptr) != SQLITE_OK) {
    engine->free_table(cells);
    return false;
  }
  table.ColumnCount = columns;
  if (rows == 0) {
    engine->free_table(cells);
    return true;
  }
  table.Cells = cells;
  table.RowCount = rows;
  return true;
}

void ReleaseTable(ResultTable &table) noexcept {
  if (table.RowCount != 0) TheEngine()->free_table(table.Cells);  // cells mean a bound engine
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

std::string_view FieldText(const ResultTable &table, int32_t n) noexcept {
  return BoundedText(CellAt(table, table.CurrentRow, n));
}

std::string_view FieldWhole(const ResultTable &table, int32_t n) noexcept {
  const char *cell = CellAt(table, table.CurrentRow, n);
  return cell == nullptr ? std::string_view() : std::string_view(cell, std::strlen(cell));
}

std::string_view ColumnName(const ResultTable &table, int32_t n) noexcept {
  return BoundedText(CellAt(table, 0, n));
}

CellView Cells(const ResultTable &table) noexcept {
  return {table.Cells, table.RowCount, table.ColumnCount};
}

}  // namespace kiv::db
