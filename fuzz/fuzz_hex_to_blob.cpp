// The hex codec on any bytes: HexToBlob makes exactly one byte per whole pair after the
// first two characters and never reads past the text; BlobToHex and HexToBlob undo
// each other.
#include <cstdint>
#include <string>

#include "blob/hex_codec.h"
#include "blob/hex_codec_pieces.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view input(reinterpret_cast<const char *>(data), size);
  kiv::ByteBuffer decoded;
  if (!kiv::blob::HexToBlob(input, decoded)) __builtin_trap();
  if (decoded.size() != (size < 4 ? 0 : (size - 2) / 2)) __builtin_trap();
  kiv::ByteBuffer hex;
  if (!kiv::blob::BlobToHex(input, hex) || hex.size() != 2 * size) __builtin_trap();
  for (char c : hex.view()) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) __builtin_trap();
  }
  kiv::ByteBuffer back;
  if (!kiv::blob::HexToBlob("X'" + std::string(hex.view()) + "'", back) || back.view() != input)
    __builtin_trap();
  return 0;
}
