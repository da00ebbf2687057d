// The parameter text's bound, its split into fields and its cut rules.
#include "frame/param_text.h"

#include "frame/sql_quoting.h"

namespace kiv::frame {

std::string_view ParamField(std::string_view text, int n) noexcept {
  if (n < 1) return {};
  std::size_t start = 0;
  for (int field = 1; field < n; ++field) {
    const std::size_t bar = text.find('|', start);
    if (bar == std::string_view::npos) return {};
    start = bar + 1;
  }
  const std::size_t end = text.find('|', start);
  return std::string_view(text.data() + start,
                          (end == std::string_view::npos ? text.size() : end) - start);
}

ParamText ReadParamText(const char *params) noexcept {
  ParamText read{BoundedText(params)};
  if (read.text.size() == kMaxTextBytes && params[kMaxTextBytes] != '\0') {
    read.text = std::string_view(params);  // to its NUL: only its last field is wanted
    read.overBound = true;
  }
  return read;
}

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

// Every character SQLite's tokenizer takes as a blank between words.
constexpr std::string_view kSqlBlanks = " \t\r\n\f\v";

bool HoldsMoreThanBlanks(std::string_view field) {
  return field.find_first_not_of(kBlanks) != std::string_view::npos;
}

// True when `field` reads as SQL rather than a variable's name: a blank stands between
// other bytes, or it holds a comment marker. No host variable's name does either.
bool ReadsAsSql(std::string_view field) {
  if (field.find("--") != std::string_view::npos || field.find("/*") != std::string_view::npos)
    return true;
  const std::size_t first = field.find_first_not_of(kSqlBlanks);
  if (first == std::string_view::npos) return false;
  const std::size_t last = field.find_last_not_of(kSqlBlanks);
  return std::string_view(field.data() + first, last - first).find_first_of(kSqlBlanks) !=
         std::string_view::npos;
}

// True when field 2 of `text` (the SQL) ends inside a quote that a later field closes.
bool SqlFieldCut(std::string_view text) {
  const std::size_t start = text.find('|');
  if (start == std::string_view::npos) return false;
  const std::size_t end = text.find('|', start + 1);
  if (end == std::string_view::npos) return false;
  return InsideClosedQuote(std::string_view(text.data() + start + 1, text.size() - start - 1),
                           end - start - 1);
}

}  // namespace

// A text is cut when:
// - a field after the variable's (field n) holds more than blanks (space, tab, CR, LF);
// - field n reads as SQL (a blank between other bytes, or a comment marker);
// - with `sqlField`, field 2 ends inside a quoted text, a quoted name or a /* comment
//   that a later field closes;
// - the text is longer than the bound.
AnswerTarget FindAnswerTarget(const ParamText &params, std::size_t n, bool sqlField) noexcept {
  const std::string_view text = params.text;
  // The last field that holds more than blanks, and its number.
  std::string_view last;
  std::size_t lastNumber = 0;
  for (std::size_t number = 1, start = 0;; ++number) {
    const std::size_t bar = text.find('|', start);
    const std::string_view field(text.data() + start,
                                 (bar == std::string_view::npos ? text.size() : bar) - start);
    if (HoldsMoreThanBlanks(field)) {
      last = field;
      lastNumber = number;
    }
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  if (params.overBound || lastNumber > n || (sqlField && SqlFieldCut(text)) ||
      ReadsAsSql(ParamField(text, static_cast<int>(n))))
    return {lastNumber >= n ? last : std::string_view(), true};
  return {ParamField(text, static_cast<int>(n)), false};
}

bool SplitFields(std::string_view text, ByteBuffer &copy, std::string_view *fields,
                 std::size_t n) noexcept {
  if (!copy.Assign(text)) return false;
  const std::string_view own = copy.view();
  for (std::size_t i = 0; i < n; ++i) fields[i] = ParamField(own, static_cast<int>(i + 1));
  // Only now end each field with a NUL: the separators had to stay for the split.
  for (std::size_t i = 0; i < n; ++i) {
    if (fields[i].data() == nullptr) {
      fields[i] = "";  // a missing field
    } else {
      copy.data()[fields[i].data() - own.data() + fields[i].size()] = '\0';
    }
  }
  return true;
}

}  // namespace kiv::frame
