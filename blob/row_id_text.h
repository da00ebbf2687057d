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

// Reads `param` as a number: leading blanks, tabs and line feeds skipped; a decimal
// number with optional sign, fraction and exponent (E or D), or an "&" radix literal
// (&H hexadecimal, &O/&Q/& octal, &B binary, with the 16-bit rule for 32768..65535);
// reading stops at the first byte that does not fit, and no number reads as 0. The value
// is rounded half to even and written into `sql`. False, with `sql` unset, for a
// value beyond SQLite's 64-bit row ids: a row id is never wrapped or clamped.
bool RowIdText(std::string_view param, RowIdSql &sql) noexcept;

}  // namespace kiv::blob
