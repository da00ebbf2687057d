// The record-set text of any cells: the same bytes as a plain row-by-row join (cells up
// to their NUL, "|" between, CR after each row). The cells come from a query of an
// in-memory database, each a text of fuzzer-chosen bytes or NULL, read as the query
// action reads them.
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

  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string sql = "VALUES";
  std::string expected;
  for (size_t i = 0; i < texts.size(); ++i) {
    const bool first = i % columns == 0;
    sql += first ? (i == 0 ? "(" : "),(") : ",";
    if (isNull[i]) {
      sql += "NULL";
    } else {
      sql += "CAST(X'";
      for (const char c : texts[i]) {
        sql += kHex[static_cast<unsigned char>(c) >> 4];
        sql += kHex[c & 15];
      }
      sql += "' AS TEXT)";
      expected += std::string(texts[i].c_str());  // up to the first NUL
    }
    expected += (i + 1) % columns == 0 ? '\r' : '|';
  }
  sql += ")";

  static kiv::db::DbHandle db;
  if (db.connection == nullptr && !kiv::db::OpenDatabase("", db)) __builtin_trap();
  kiv::db::ResultTable table;
  if (!kiv::db::QueryTable(db, sql.c_str(), table)) __builtin_trap();
  kiv::ByteBuffer text;
  if (!kiv::actions::BuildRecordSetText(table, text) || std::string(text.view()) != expected)
    __builtin_trap();
  return 0;
}
