// EscapeForDisplay.
#include "host/display_text.h"

namespace kiv::host {

std::string EscapeForDisplay(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': shown += "\\\\"; break;
      case '\r': shown += "\\r"; break;
      case '\n': shown += "\\n"; break;
      case '\t': shown += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          shown += "\\x";
          shown += kHex[byte >> 4];
          shown += kHex[byte & 15];
        } else {
          shown += c;
        }
    }
  }
  return shown;
}

}  // namespace kiv::host
