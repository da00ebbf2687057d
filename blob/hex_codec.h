// The hex codec that carries BLOB contents through SQL text: bytes to the uppercase
// digits of an X'...' literal, and SQLite's quoted BLOB text back to bytes. Pure
// functions over constant lookup tables; both size their result once.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/byte_buffer.h"

namespace kiv::blob {

// Writes the 2n uppercase hexadecimal digits of `n` bytes at `in` to `out`, high nibble
// first. `out` may start at or before `in` as long as it does not pass `in` (used to
// expand a buffer in place: out == in - n).
void WriteHex(const unsigned char *in, std::size_t n, char *out) noexcept;

// Makes `bytes` the bytes of SQLite's quoted BLOB text `quoted` (X'...'): its first two
// characters skipped, each following pair one byte, read as hex_codec_pieces.h says.
// False when memory is short.
bool HexToBlob(std::string_view quoted, ByteBuffer &bytes) noexcept;

}  // namespace kiv::blob
