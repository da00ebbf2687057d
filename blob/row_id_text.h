// The row id parameter of the BLOB actions, read as a number and written as the SQL
// number text that follows "rowid=" in their statements.
#pragma once

#include <cstddef>
#include <string_view>

namespace kiv::blob {

// A row id as SQL text: one blank before a value of 0 or more, a minus sign before a
// negative one, then its decimal digits: " 5", "-4", " 9223372036854775807".
struct RowIdSql {
  char text[24];     // the bytes, not zero-terminated
  std::size_t size;  // how many of them
  std::string_view view() const noexcept { return {text, size}; }
};

// Writes into `sql` the row id that `param` reads as (row_id_text.cpp gives the rules: a
// decimal number or an "&H", "&O", "&B" literal, rounded half to even; no number is 0).
// False, with `sql` empty, for a value beyond SQLite's 64-bit row ids: a row id is never
// wrapped or clamped.
bool RowIdText(std::string_view param, RowIdSql &sql) noexcept;

}  // namespace kiv::blob
