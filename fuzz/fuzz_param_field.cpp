// ParamField on any text: the fields of a text with k separators are k+1, joined by
// "|" they give the text back, and every field past them is empty. SplitFields, which
// the actions use, gives the same fields, each followed by a NUL. FindAnswerTarget finds
// a text cut exactly when a field after the variable's holds more than blanks, or, for
// SQL, also where field 2 ends inside a quote a later field closes, or when the
// variable's field reads as SQL (a blank between other bytes, a comment marker); the
// variable meant is then the last field that holds more than blanks.
#include <cstdint>
#include <string>

#include "frame/param_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  std::size_t bars = 0;
  for (char c : text) bars += c == '|';
  if (bars > 64) return 0;  // the property is linear in the fields; keep runs short
  constexpr std::size_t kSplit = 8;
  kiv::ByteBuffer copy;
  std::string_view split[kSplit];
  if (!kiv::frame::SplitFields(text, copy, split, kSplit)) __builtin_trap();
  std::string joined;
  int lastFilled = 0;  // the last field that holds more than blanks
  for (int n = 1; n <= static_cast<int>(bars) + 1; ++n) {
    const std::string_view field = kiv::frame::ParamField(text, n);
    if (field.find('|') != std::string::npos) __builtin_trap();
    if (field.find_first_not_of(" \t\r\n") != std::string::npos) lastFilled = n;
    joined += (n > 1 ? "|" : "") + std::string(field);
    if (n <= static_cast<int>(kSplit)) {
      const std::string_view got = split[n - 1];
      if (got != field || got.data()[got.size()] != '\0') __builtin_trap();
    }
  }
  if (joined != text) __builtin_trap();
  const kiv::frame::ParamText params{text};
  const auto plain = kiv::frame::FindAnswerTarget(params, kSplit, false);
  const auto sql = kiv::frame::FindAnswerTarget(params, kSplit, true);
  // A blank between other bytes of the variable's field (SQLite's blanks: form feed and
  // vertical tab too), or a comment marker: no variable is named so.
  const std::string_view variable = kiv::frame::ParamField(text, static_cast<int>(kSplit));
  const char *const sqlBlanks = " \t\r\n\f\v";
  const std::size_t first = variable.find_first_not_of(sqlBlanks);
  const bool readsAsSql = variable.find("--") != std::string_view::npos ||
                          variable.find("/*") != std::string_view::npos ||
                          (first != std::string_view::npos &&
                           variable.substr(first, variable.find_last_not_of(sqlBlanks) - first)
                                   .find_first_of(sqlBlanks) != std::string_view::npos);
  const bool isCut = lastFilled > static_cast<int>(kSplit) || readsAsSql;
  if (plain.cut != isCut || (isCut && !sql.cut)) __builtin_trap();
  if (plain.variable != (isCut ? kiv::frame::ParamField(text, lastFilled)
                               : kiv::frame::ParamField(text, static_cast<int>(kSplit))))
    __builtin_trap();
  if (!kiv::frame::ParamField(text, static_cast<int>(bars) + 2).empty()) __builtin_trap();
  if (!kiv::frame::ParamField(text, 0).empty()) __builtin_trap();
  return 0;
}
