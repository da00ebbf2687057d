// Byte texts shared by every layer: ByteBuffer, the owner of every text the module
// makes (the parameter copy, record sets, BLOB contents and their statements), and
// BoundedText, the one bound on texts read from zero-terminated memory. ByteBuffer is
// built on malloc/realloc so that running out of memory is a false result the caller
// turns into an answer, never an exception or a crash. Depends on nothing.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace kiv {

inline constexpr std::size_t kMaxTextBytes = 16777216;

// The bytes of `text` up to its first NUL, at most kMaxTextBytes (16 MiB); a null
// pointer gives the empty view. The parameter text, SQLite's cells, column names and
// messages are read this way. The view points into `text`.
inline std::string_view BoundedText(const char *text) noexcept {
  if (text == nullptr) return {};
  return std::string_view(text, strnlen(text, kMaxTextBytes));
}

// Bytes plus a NUL that always follows them, so the content can be handed on as a
// zero-terminated text. Moves, never copies.
class ByteBuffer {
 public:
  ByteBuffer() noexcept = default;
  ByteBuffer(ByteBuffer &&other) noexcept;
  ByteBuffer &operator=(ByteBuffer &&other) noexcept;
  ByteBuffer(const ByteBuffer &) = delete;
  ByteBuffer &operator=(const ByteBuffer &) = delete;
  ~ByteBuffer();

  // Makes room for `capacity` bytes without changing the content. False when memory is
  // short; the content is then unchanged.
  bool Reserve(std::size_t capacity) noexcept;
  // Sets the length to `size`; new bytes are unspecified. False when memory is short.
  bool Resize(std::size_t size) noexcept;
  // Resize, but growing the room geometrically, for content built piece by piece.
  bool Grow(std::size_t size) noexcept {
    if (size > capacity_ || data_ == nullptr) return GrowRoom(size);
    size_ = size;
    data_[size_] = '\0';
    return true;
  }
  // Appends `bytes`, growing the room geometrically. False when memory is short.
  bool Append(std::string_view bytes) noexcept;
  // Replaces the content with `bytes`. False when memory is short.
  bool Assign(std::string_view bytes) noexcept;
  void Clear() noexcept;

  char *data() noexcept { return data_ != nullptr ? data_ : empty_; }
  const char *data() const noexcept { return data_ != nullptr ? data_ : empty_; }
  // The content followed by its NUL.
  const char *c_str() const noexcept { return data(); }
  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  std::string_view view() const noexcept { return {data(), size_}; }

 private:
  bool GrowRoom(std::size_t size) noexcept;

  char *data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;  // bytes usable for content; one more is allocated for the NUL
  char empty_[1] = {0};
};

}  // namespace kiv
