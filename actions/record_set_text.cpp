// BuildRecordSetText: one pass over SQLite's cells, copying each into a buffer that
// grows geometrically (untouched room costs address space, not memory).
#include "actions/record_set_text.h"

#include <cstring>

#include "platform/text_bound.h"

namespace kiv::actions {

bool BuildRecordSetText(const db::ResultTable &table, ByteBuffer &text) noexcept {
  text.Clear();
  if (table.Cells == nullptr || table.RowCount < 1 || table.ColumnCount < 1) return true;
  const std::size_t columns = static_cast<std::size_t>(table.ColumnCount);
  const std::size_t rows = static_cast<std::size_t>(table.RowCount);
  char *const *cells = table.Cells + columns;  // row 0 holds the column names
  for (std::size_t r = 0; r < rows; ++r) {
    for (std::size_t c = 0; c < columns; ++c) {
      const std::string_view cell = BoundedText(cells[r * columns + c]);  // NULL reads as empty
      const std::size_t start = text.size();
      if (!text.Grow(start + cell.size() + 1)) {  // the cell and its "|" or CR
        text.Clear();
        return false;
      }
      char *out = text.data() + start;
      if (!cell.empty()) std::memcpy(out, cell.data(), cell.size());  // NULL cells have no data
      out[cell.size()] = c + 1 < columns ? '|' : '\r';
    }
  }
  return true;
}

}  // namespace kiv::actions
