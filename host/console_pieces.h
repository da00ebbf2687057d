// How kivhost cuts a long text for a Windows console: consoles before Windows 8 refuse,
// whole, a write that does not fit their 64 KB buffer, so a long answer is handed over
// in pieces. Plain code over UTF-16 units, so that it is tested on every system.
#pragma once

#include <cstddef>
#include <string_view>

namespace kiv::host {

// The most UTF-16 units one console write carries: well inside what every console takes.
inline constexpr std::size_t kConsolePieceUnits = 8192;

// The length of the first piece of `text`: all of it when it fits in `most` units,
// otherwise `most` units, or one fewer where a surrogate pair would be split. Never 0
// for a text that is not empty; `most` is 1 or more.
std::size_t ConsolePiece(std::u16string_view text, std::size_t most = kConsolePieceUnits) noexcept;

}  // namespace kiv::host
