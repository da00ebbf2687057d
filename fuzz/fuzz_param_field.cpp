// ParamField on any text: the fields of a text with k separators are k+1, joined by
// "|" they give the text back, and every field past them is empty. SplitParams, which
// the actions use, gives the same fields, each followed by a NUL, and finds a text cut
// by a "|" inside a field exactly when the last field it splits is empty and a later one
// is not; the variable meant is then the last field that is not empty.
#include <cstdint>
#include <string>

#include "frame/frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  std::size_t bars = 0;
  for (char c : text) bars += c == '|';
  if (bars > 64) return 0;  // the property is linear in the fields; keep runs short
  constexpr std::size_t kSplit = 8;
  kiv::ByteBuffer copy;
  std::string_view split[kSplit];
  std::string_view cut;
  if (!kiv::frame::SplitParams(text.c_str(), copy, split, kSplit, &cut)) __builtin_trap();
  const bool noNul = text.find('\0') == std::string::npos;  // SplitParams stops at a NUL
  std::string joined;
  int lastFilled = 0;  // the last field that is not empty
  for (int n = 1; n <= static_cast<int>(bars) + 1; ++n) {
    const std::string_view field = kiv::frame::ParamField(text, n);
    if (field.find('|') != std::string::npos) __builtin_trap();
    if (!field.empty()) lastFilled = n;
    joined += (n > 1 ? "|" : "") + std::string(field);
    if (noNul && n <= static_cast<int>(kSplit)) {
      const std::string_view got = split[n - 1];
      if (got != field || got.data()[got.size()] != '\0') __builtin_trap();
    }
  }
  if (joined != text) __builtin_trap();
  if (noNul) {
    const int n = static_cast<int>(kSplit);
    const bool isCut = bars >= kSplit && kiv::frame::ParamField(text, n).empty() && lastFilled > n;
    if (isCut != (cut.data() != nullptr)) __builtin_trap();
    if (isCut &&
        (cut != kiv::frame::ParamField(text, lastFilled) || cut.data()[cut.size()] != '\0'))
      __builtin_trap();
  }
  if (!kiv::frame::ParamField(text, static_cast<int>(bars) + 2).empty()) __builtin_trap();
  if (!kiv::frame::ParamField(text, 0).empty()) __builtin_trap();
  return 0;
}
