// The one bound on texts read from zero-terminated memory: the parameter text, SQLite's
// cells, column names and messages are taken up to their first NUL byte and never
// beyond 16,777,216 bytes. Used by every layer; depends on nothing.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace kiv {

inline constexpr std::size_t kMaxTextBytes = 16777216;

// The bytes of `text` up to its first NUL, at most kMaxTextBytes; a null pointer gives
// the empty view. The view points into `text`.
inline std::string_view BoundedText(const char *text) noexcept {
  if (text == nullptr) return {};
  return std::string_view(text, strnlen(text, kMaxTextBytes));
}

}  // namespace kiv
