// EscapeForDisplay and the "name = value" lines.
#include "host/display.h"

#include "host/host_os.h"
#include "host/host_record.h"

namespace kiv::host {

std::string EscapeForDisplay(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      shown += "\\\\";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
    } else {
      shown += c;
    }
  }
  return shown;
}

void ShowSetsSince(std::size_t from) {
  const auto &sets = TheHostRecord().sets;
  for (std::size_t i = from; i < sets.size(); ++i) {
    const std::string name = sets[i].name ? EscapeForDisplay(*sets[i].name) : "(no variable)";
    Print(stdout, name + " = " + EscapeForDisplay(sets[i].value.value_or("")) + "\n");
  }
}

}  // namespace kiv::host
