// The one rule for telling UTF-8 text from other bytes: shortest forms only, no
// surrogates, nothing past U+10FFFF. File names on Windows and kivhost's script files
// are judged by it. Depends on nothing.
#pragma once

#include <string_view>

namespace kiv {

// True when `text` is valid UTF-8 throughout; pure ASCII and the empty text are.
bool IsUtf8(std::string_view text) noexcept;

}  // namespace kiv
