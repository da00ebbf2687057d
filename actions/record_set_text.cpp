// BuildRecordSetText: one pass to measure, one allocation, one pass to copy, so the
// text costs no more than its own size and nothing grows row by row.
#include "actions/record_set_text.h"

#include <cstdint>
#include <cstring>

namespace kiv::actions {

bool BuildRecordSetText(db::ResultTable &table, ByteBuffer &text) noexcept {
  text.Clear();
  const int32_t columns = table.ColumnCount;
  std::size_t total = 0;
  for (db::MoveFirst(table); !table.Eof; db::MoveNext(table)) {
    total += static_cast<std::size_t>(columns);  // the "|"s and the carriage return
    for (int32_t n = 1; n <= columns; ++n) {
      const std::size_t length = db::FieldView(table, n).size();
      if (length > SIZE_MAX - total) return false;
      total += length;
    }
  }
  if (total == 0 || !text.Resize(total)) return total == 0;
  char *out = text.data();
  for (db::MoveFirst(table); !table.Eof; db::MoveNext(table)) {
    for (int32_t n = 1; n <= columns; ++n) {
      if (n > 1) *out++ = '|';
      const std::string_view cell = db::FieldView(table, n);
      if (!cell.empty()) std::memcpy(out, cell.data(), cell.size());  // NULL cells have no data
      out += cell.size();
    }
    *out++ = '\r';
  }
  return true;
}

}  // namespace kiv::actions
