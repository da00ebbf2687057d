// RowIdText: an exact reader for decimal and radix row ids. Decimal digits are read in
// place and rounded exactly, so every 64-bit row id is reached, not just those a double
// can hold, and no copy of the script's digits is made, however many there are.
#include "blob/row_id_text.h"

#include <cstdint>

namespace kiv::blob {
namespace {

constexpr std::uint64_t kMaxPositive = INT64_MAX;
constexpr std::uint64_t kMaxMagnitude = static_cast<std::uint64_t>(INT64_MAX) + 1;  // -2^63

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// The value of `c` as a digit in `radix`, or -1.
int DigitValue(char c, int radix) noexcept {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < radix ? value : -1;
}

// Writes the number as its SQL text into `sql`; returns true, for the reader that read
// it to return.
bool WriteRowId(bool negative, std::uint64_t magnitude, RowIdSql &sql) noexcept {
  char digits[24];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  sql.size = 0;
  sql.text[sql.size++] = negative && !(count == 1 && digits[0] == '0') ? '-' : ' ';
  while (count > 0) sql.text[sql.size++] = digits[--count];
  return true;
}

// "&H1F", "&O17", "&Q17", "&B101", "&17": `text` starts just after the "&".
bool ReadRadixLiteral(std::string_view text, RowIdSql &sql) noexcept {
  int radix = 8;
  std::size_t pos = 0;
  if (!text.empty()) {
    switch (text[0]) {
      case 'H':
      case 'h':
        radix = 16;
        pos = 1;
        break;
      case 'O':
      case 'o':
      case 'Q':
      case 'q':
        radix = 8;
        pos = 1;
        break;
      case 'B':
      case 'b':
        radix = 2;
        pos = 1;
        break;
      default:
        if (!IsDigit(text[0])) return WriteRowId(false, 0, sql);
    }
  }
  const std::size_t first = pos;
  std::uint64_t value = 0;
  for (int digit; pos < text.size() && (digit = DigitValue(text[pos], radix)) >= 0; ++pos) {
    if (value > (UINT64_MAX - static_cast<unsigned>(digit)) / static_cast<unsigned>(radix))
      return false;
    value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(digit);
  }
  if (pos == first) return WriteRowId(false, 0, sql);
  if (value > kMaxPositive) return false;
  const bool wide =
      text[first] == '0' || (pos < text.size() && (text[pos] == '&' || text[pos] == '?'));
  if (!wide && value >= 32768 && value <= 65535) return WriteRowId(true, 65536 - value, sql);
  return WriteRowId(false, value, sql);
}

// The digits of a decimal number, integer part then fraction, read in place: digit(i)
// for i in [0, count) is the i-th of them.
struct DecimalDigits {
  std::string_view whole;     // the digits before the decimal point
  std::string_view fraction;  // the digits after it
  std::size_t count() const noexcept { return whole.size() + fraction.size(); }
  char digit(std::size_t i) const noexcept {
    return i < whole.size() ? whole[i] : fraction[i - whole.size()];
  }
};

// The run of digits in `text` from `pos` on.
std::string_view DigitsFrom(std::string_view text, std::size_t pos) noexcept {
  std::size_t end = pos;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return std::string_view(text.data() + pos, end - pos);
}

// A decimal number with optional sign, fraction and exponent, rounded half to even.
bool ReadDecimal(std::string_view text, RowIdSql &sql) noexcept {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  DecimalDigits digits;
  digits.whole = DigitsFrom(text, pos);
  pos += digits.whole.size();
  if (pos < text.size() && text[pos] == '.') {
    digits.fraction = DigitsFrom(text, pos + 1);
    pos += 1 + digits.fraction.size();
  }
  std::size_t first = 0;  // the first significant digit
  while (first < digits.count() && digits.digit(first) == '0') ++first;
  if (first == digits.count()) return WriteRowId(false, 0, sql);  // no digits, or zeros only
  std::int64_t exponent = 0;
  if (pos < text.size() &&
      (text[pos] == 'e' || text[pos] == 'E' || text[pos] == 'd' || text[pos] == 'D')) {
    std::size_t at = pos + 1;
    bool minus = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) minus = text[at++] == '-';
    for (; at < text.size() && IsDigit(text[at]); ++at) {
      if (exponent < 1000000000) exponent = exponent * 10 + (text[at] - '0');
    }
    if (minus) exponent = -exponent;
  }
  // Digits from `first` on, with the decimal point after `wholeCount` of them.
  const std::int64_t wholeCount =
      static_cast<std::int64_t>(digits.whole.size()) - static_cast<std::int64_t>(first) + exponent;
  if (wholeCount > 19) return false;                     // at least 10^19: beyond 64 bits
  if (wholeCount < 0) return WriteRowId(false, 0, sql);  // below 0.1: rounds to 0
  const std::size_t cut = first + static_cast<std::size_t>(wholeCount);
  std::uint64_t magnitude = 0;
  // At most 19 digits: below 10^19, which 64 bits hold.
  static_assert(UINT64_MAX / 10 > 999999999999999999u, "19 decimal digits fit in 64 bits");
  for (std::size_t i = first; i < cut; ++i) {
    const std::uint64_t digit =
        i < digits.count() ? static_cast<std::uint64_t>(digits.digit(i) - '0') : 0;
    magnitude = magnitude * 10 + digit;
  }
  if (cut < digits.count()) {
    const char next = digits.digit(cut);
    bool restNonZero = false;
    for (std::size_t i = cut + 1; i < digits.count() && !restNonZero; ++i)
      restNonZero = digits.digit(i) != '0';
    if (next > '5' || (next == '5' && (restNonZero || magnitude % 2 == 1)))
      ++magnitude;  // a half goes to the even neighbour
  }
  if (magnitude > (negative ? kMaxMagnitude : kMaxPositive)) return false;
  return WriteRowId(negative, magnitude, sql);
}

}  // namespace

bool RowIdText(std::string_view param, RowIdSql &sql) noexcept {
  sql = RowIdSql();
  std::size_t pos = 0;
  while (pos < param.size() && (param[pos] == ' ' || param[pos] == '\t' || param[pos] == '\n'))
    ++pos;
  param.remove_prefix(pos);
  if (!param.empty() && param[0] == '&') {
    param.remove_prefix(1);
    return ReadRadixLiteral(param, sql);
  }
  return ReadDecimal(param, sql);
}

}  // namespace kiv::blob
