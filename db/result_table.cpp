// ResultTable operations over sqlite3_get_table and sqlite3_free_table.
#include "db/result_table.h"

#include <sqlite3.h>

#include <cstring>

#include "platform/text_bound.h"

namespace kiv::db {
namespace {

void EnterEmptyState(ResultTable &table) {
  table.Cells = nullptr;
  table.ColumnCount = 0;
  table.RowCount = 0;
  table.CurrentRow = 0;
  table.RowOffset = 0;
  table.Eof = true;
  table.Bof = true;
}

// The cell pointer for column n of the cursor row, or null outside the table.
const char *CellAt(const ResultTable &table, int32_t n) {
  if (n < 1 || n > table.ColumnCount) return nullptr;
  if (table.Cells == nullptr || table.CurrentRow < 0 || table.CurrentRow > table.RowCount)
    return nullptr;
  return table.Cells[static_cast<std::size_t>(table.RowOffset) + static_cast<std::size_t>(n - 1)];
}

// Puts the cursor on `row` and sets the end flags from the row count.
void SetCursor(ResultTable &table, int32_t row) {
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

void SetUpTable(ResultTable &table, DbHandle &handle, ColumnNameList &names) noexcept {
  ReleaseTable(table);
  names.clear();
  table.DbRef = &handle;
  table.ColumnNames = &names;
}

bool QueryTable(ResultTable &table, const char *sql) noexcept {
  ReleaseTable(table);
  if (table.DbRef == nullptr || *table.DbRef == nullptr) return false;
  char **cells = nullptr;
  int rows = 0;
  int columns = 0;
  if (sqlite3_get_table(*table.DbRef, sql, &cells, &rows, &columns, nullptr) != SQLITE_OK) {
    sqlite3_free_table(cells);
    return false;
  }
  table.ColumnCount = columns;
  if (rows == 0) {
    sqlite3_free_table(cells);
    return true;
  }
  table.Cells = cells;
  table.RowCount = rows;
  if (table.ColumnNames != nullptr) {
    table.ColumnNames->assign(static_cast<std::size_t>(columns), std::string());
    for (int i = 0; i < columns; ++i) (*table.ColumnNames)[i] = std::string(BoundedText(cells[i]));
  }
  return true;
}

void ReleaseTable(ResultTable &table) noexcept {
  if (table.ColumnNames != nullptr) table.ColumnNames->clear();
  if (table.RowCount != 0) sqlite3_free_table(table.Cells);
  EnterEmptyState(table);
}

void MoveFirst(ResultTable &table) noexcept { SetCursor(table, 1); }

void MoveNext(ResultTable &table) noexcept { SetCursor(table, table.CurrentRow + 1); }

std::string_view FieldView(const ResultTable &table, int32_t n) noexcept {
  return BoundedText(CellAt(table, n));
}

std::string FieldText(const ResultTable &table, int32_t n) {
  return std::string(FieldView(table, n));
}

std::string_view FieldWhole(const ResultTable &table, int32_t n) noexcept {
  const char *cell = CellAt(table, n);
  return cell == nullptr ? std::string_view() : std::string_view(cell, std::strlen(cell));
}

}  // namespace kiv::db
