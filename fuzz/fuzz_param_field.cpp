// ParamField on any text: the fields of a text with k separators are k+1, joined by
// "|" they give the text back, and every field past them is empty.
#include <cstdint>
#include <string>

#include "plugin/param_field.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  std::size_t bars = 0;
  for (char c : text) bars += c == '|';
  if (bars > 64) return 0;  // the property is linear in the fields; keep runs short
  std::string joined;
  for (int n = 1; n <= static_cast<int>(bars) + 1; ++n) {
    const std::string field = kiv::plugin::ParamField(text, n);
    if (field.find('|') != std::string::npos) __builtin_trap();
    joined += (n > 1 ? "|" : "") + field;
  }
  if (joined != text) __builtin_trap();
  if (!kiv::plugin::ParamField(text, static_cast<int>(bars) + 2).empty()) __builtin_trap();
  if (!kiv::plugin::ParamField(text, 0).empty()) __builtin_trap();
  return 0;
}
