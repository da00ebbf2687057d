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

// Makes `hex` the hexadecimal text of `data`: 2n uppercase digits, nothing else. False
// when memory is short.
bool BlobToHex(std::string_view data, ByteBuffer &hex) noexcept;

// Number of bytes HexToBlob makes of a text of `length` characters: one per pair at
// positions 3-4, 5-6, ... that lies wholly inside the text.
std::size_t HexToBlobLength(std::size_t length) noexcept;

// Decodes `quoted` into HexToBlobLength(quoted.size()) bytes at `out`. The first two
// characters are skipped unexamined; each following pair gives one byte: its leading
// hexadecimal digits (either case) read as a number, 0 when the pair starts with none.
void DecodeQuotedBlob(std::string_view quoted, unsigned char *out) noexcept;

// Makes `bytes` the bytes DecodeQuotedBlob decodes from `quoted`. False when memory is short.
bool HexToBlob(std::string_view quoted, ByteBuffer &bytes) noexcept;

}  // namespace kiv::blob
