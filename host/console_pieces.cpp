// ConsolePiece.
#include "host/console_pieces.h"

namespace kiv::host {

std::size_t ConsolePiece(std::u16string_view text, std::size_t most) noexcept {
  if (text.size() <= most) return text.size();
  const char16_t last = text[most - 1];
  const bool firstHalfOfAPair = last >= 0xD800 && last <= 0xDBFF;
  return most > 1 && firstHalfOfAPair ? most - 1 : most;
}

}  // namespace kiv::host
