// RowIdText: an exact reader for decimal and radix row ids. Decimal digits are kept as
// text and rounded exactly, so every 64-bit row id is reached, not just those a double
// can hold.
#include "blob/row_id_text.h"

#include <cstdint>

namespace kiv::blob {
namespace {

constexpr std::uint64_t kMaxPositive = INT64_MAX;
constexpr std::uint64_t kMaxMagnitude = static_cast<std::uint64_t>(INT64_MAX) + 1;  // -2^63

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of `c` as a digit in `radix`, or -1.
int DigitValue(char c, int radix) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < radix ? value : -1;
}

std::string FormatRowId(bool negative, std::uint64_t magnitude) {
  if (magnitude == 0) negative = false;
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  return (negative ? "-" : " ") + digits;
}

// "&H1F", "&O17", "&Q17", "&B101", "&17": `text` starts just after the "&".
std::optional<std::string> ReadRadixLiteral(std::string_view text) {
  int radix = 8;
  std::size_t pos = 0;
  if (!text.empty()) {
    switch (text[0]) {
      case 'H': case 'h': radix = 16; pos = 1; break;
      case 'O': case 'o': case 'Q': case 'q': radix = 8; pos = 1; break;
      case 'B': case 'b': radix = 2; pos = 1; break;
      default:
        if (!IsDigit(text[0])) return FormatRowId(false, 0);
    }
  }
  const std::size_t first = pos;
  std::uint64_t value = 0;
  for (int digit; pos < text.size() && (digit = DigitValue(text[pos], radix)) >= 0; ++pos) {
    if (value > (UINT64_MAX - static_cast<unsigned>(digit)) / static_cast<unsigned>(radix))
      return std::nullopt;
    value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(digit);
  }
  if (pos == first) return FormatRowId(false, 0);
  if (value > kMaxPositive) return std::nullopt;
  const bool wide = text[first] == '0' ||
                    (pos < text.size() && (text[pos] == '&' || text[pos] == '?'));
  if (!wide && value >= 32768 && value <= 65535) return FormatRowId(true, 65536 - value);
  return FormatRowId(false, value);
}

// A decimal number with optional sign, fraction and exponent, rounded half to even.
std::optional<std::string> ReadDecimal(std::string_view text) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  std::string digits;      // significant digits, leading zeros dropped
  std::int64_t scale = 0;  // value = digits x 10^scale
  bool any = false;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    any = true;
    if (!digits.empty() || text[pos] != '0') digits += text[pos];
  }
  if (pos < text.size() && text[pos] == '.') {
    for (++pos; pos < text.size() && IsDigit(text[pos]); ++pos) {
      any = true;
      if (!digits.empty() || text[pos] != '0') digits += text[pos];
      --scale;
    }
  }
  if (!any || digits.empty()) return FormatRowId(false, 0);
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E' || text[pos] == 'd' ||
                            text[pos] == 'D')) {
    std::size_t at = pos + 1;
    bool minus = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) minus = text[at++] == '-';
    std::int64_t exponent = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
      if (exponent < 1000000000) exponent = exponent * 10 + (text[at] - '0');
    }
    scale += minus ? -exponent : exponent;
  }
  // digits x 10^scale: `wholeCount` digits before the decimal point.
  const std::int64_t wholeCount = static_cast<std::int64_t>(digits.size()) + scale;
  if (wholeCount > 19) return std::nullopt;  // at least 10^19: beyond 64 bits
  if (wholeCount < 0) return FormatRowId(false, 0);  // below 0.1: rounds to 0
  std::uint64_t magnitude = 0;
  for (std::int64_t i = 0; i < wholeCount; ++i) {
    const std::uint64_t digit =
        i < static_cast<std::int64_t>(digits.size()) ? static_cast<std::uint64_t>(digits[i] - '0') : 0;
    if (magnitude > (UINT64_MAX - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  const auto cut = static_cast<std::size_t>(wholeCount);
  if (cut < digits.size()) {
    const char first = digits[cut];
    const bool restNonZero = digits.find_first_not_of('0', cut + 1) != std::string::npos;
    const bool up = first > '5' || (first == '5' && (restNonZero || magnitude % 2 == 1));
    if (up) ++magnitude;  // a half goes to the even neighbour
  }
  if (magnitude > (negative ? kMaxMagnitude : kMaxPositive)) return std::nullopt;
  return FormatRowId(negative, magnitude);
}

}  // namespace

std::optional<std::string> RowIdText(std::string_view param) {
  std::size_t pos = 0;
  while (pos < param.size() && (param[pos] == ' ' || param[pos] == '\t' || param[pos] == '\n'))
    ++pos;
  const std::string_view text = param.substr(pos);
  if (!text.empty() && text[0] == '&') return ReadRadixLiteral(text.substr(1));
  return ReadDecimal(text);
}

}  // namespace kiv::blob
