// ByteBuffer: growth over realloc, every failure reported as false.
#include "base/byte_buffer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace kiv {

ByteBuffer::ByteBuffer(ByteBuffer &&other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ByteBuffer &ByteBuffer::operator=(ByteBuffer &&other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

ByteBuffer::~ByteBuffer() { std::free(data_); }

bool ByteBuffer::Reserve(std::size_t capacity) noexcept {
  if (capacity <= capacity_ && data_ != nullptr) return true;
  if (capacity == SIZE_MAX) return false;
  char *grown = static_cast<char *>(std::realloc(data_, capacity + 1));
  if (grown == nullptr) return false;
  data_ = grown;
  capacity_ = capacity;
  data_[size_] = '\0';
  return true;
}

bool ByteBuffer::Resize(std::size_t size) noexcept {
  if (!Reserve(size)) return false;
  size_ = size;
  data_[size_] = '\0';
  return true;
}

bool ByteBuffer::GrowRoom(std::size_t size) noexcept {
  std::size_t room = capacity_ < SIZE_MAX / 4 ? capacity_ * 2 : size;
  if (room < size) room = size;
  if (room < 64) room = 64;
  if (!Reserve(room) && !Reserve(size)) return false;
  size_ = size;
  data_[size_] = '\0';
  return true;
}

bool ByteBuffer::Append(std::string_view bytes) noexcept {
  if (bytes.size() > SIZE_MAX - 1 - size_) return false;
  const std::size_t start = size_;
  if (!Grow(size_ + bytes.size())) return false;
  if (!bytes.empty()) std::memcpy(data_ + start, bytes.data(), bytes.size());
  return true;
}

bool ByteBuffer::Assign(std::string_view bytes) noexcept {
  Clear();
  return Append(bytes);
}

void ByteBuffer::Clear() noexcept {
  size_ = 0;
  if (data_ != nullptr) data_[0] = '\0';
}

}  // namespace kiv
