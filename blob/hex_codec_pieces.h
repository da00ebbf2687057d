// The hex codec's pieces that only its tests, fuzz target and benchmark call: the way
// back from bytes to digits as one text, and HexToBlob's two steps.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/byte_buffer.h"

namespace kiv::blob {

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

}  // namespace kiv::blob
