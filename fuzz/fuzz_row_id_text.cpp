// RowIdText on any text: nothing, or a blank or minus sign followed by the decimal
// digits of a 64-bit row id without leading zeros.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "blob/row_id_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string param(reinterpret_cast<const char *>(data), size);
  kiv::blob::RowIdSql sql{};
  if (!kiv::blob::RowIdText(param, sql)) return 0;
  const std::string text(sql.view());
  if (text.size() < 2 || (text[0] != ' ' && text[0] != '-')) __builtin_trap();
  const std::string digits = text.substr(1);
  if (digits.find_first_not_of("0123456789") != std::string::npos) __builtin_trap();
  if (digits.size() > 1 && digits[0] == '0') __builtin_trap();
  if (text[0] == '-' && digits == "0") __builtin_trap();
  errno = 0;
  const std::string signedText = (text[0] == '-' ? "-" : "") + digits;
  std::strtoll(signedText.c_str(), nullptr, 10);
  if (errno == ERANGE) __builtin_trap();  // must fit SQLite's 64-bit row ids
  return 0;
}
