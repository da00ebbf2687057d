// The row id parameter of the BLOB actions, read as a number and written as the SQL
// number text that follows "rowid=" in their statements.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kiv::blob {

// Reads `param` as a number: leading blanks, tabs and line feeds skipped; a decimal
// number with optional sign, fraction and exponent (E or D), or an "&" radix literal
// (&H hexadecimal, &O/&Q/& octal, &B binary, with the 16-bit rule for 32768..65535);
// reading stops at the first byte that does not fit, and no number reads as 0. The
// value is rounded half to even. Returns it in decimal, after one blank when it is 0 or
// more, or after its minus sign. Values beyond SQLite's 64-bit row ids give nothing:
// a row id is never wrapped or clamped.
std::optional<std::string> RowIdText(std::string_view param);

}  // namespace kiv::blob
