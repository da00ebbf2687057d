// The record-set text from arbitrary cells: the same bytes as a plain row-by-row join
// (cells up to their NUL, "|" between, CR after each row).
#include <cstdint>
#include <string>
#include <vector>

#include "actions/sql_actions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1) return 0;
  const int columns = data[0] % 8 + 1;
  // Cells are the input's remaining bytes split at byte 0xFF; byte 0xFE stands for NULL.
  std::vector<std::string> texts;
  std::vector<bool> isNull;
  std::string current;
  for (size_t i = 1; i <= size; ++i) {
    if (i == size || data[i] == 0xFF) {
      isNull.push_back(current == "\xFE");
      texts.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  while (texts.size() % columns != 0) {
    texts.emplace_back();
    isNull.push_back(false);
  }
  const int rows = static_cast<int>(texts.size()) / columns;
  std::vector<char *> cells(static_cast<size_t>(columns), nullptr);  // the header row
  for (size_t i = 0; i < texts.size(); ++i) cells.push_back(isNull[i] ? nullptr : texts[i].data());

  std::string expected;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      if (c > 0) expected += '|';
      const char *cell = cells[static_cast<size_t>((r + 1) * columns + c)];
      if (cell != nullptr) expected += std::string(cell);  // up to the first NUL
    }
    expected += '\r';
  }

  kiv::ByteBuffer text;
  const bool built = kiv::actions::BuildRecordSetText({cells.data(), rows, columns}, text);
  if (!built || std::string(text.view()) != expected) __builtin_trap();
  return 0;
}
