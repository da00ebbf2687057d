// Hex codec: a 256-entry table of digit pairs for encoding, and for decoding a table of
// every possible pair's byte, built from the one-digit rule by the compiler (so loading
// the module does no work).
#include "blob/hex_codec.h"
#include "blob/hex_codec_pieces.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace kiv::blob {
namespace {

constexpr std::array<char, 512> MakePairs() {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::array<char, 512> pairs{};
  for (int b = 0; b < 256; ++b) {
    pairs[2 * b] = kDigits[b >> 4];
    pairs[2 * b + 1] = kDigits[b & 15];
  }
  return pairs;
}

constexpr unsigned char kNotDigit = 0xFF;

constexpr std::array<unsigned char, 256> MakeValues() {
  std::array<unsigned char, 256> values{};
  for (int c = 0; c < 256; ++c) values[c] = kNotDigit;
  for (int c = '0'; c <= '9'; ++c) values[c] = static_cast<unsigned char>(c - '0');
  for (int c = 'A'; c <= 'F'; ++c) values[c] = static_cast<unsigned char>(c - 'A' + 10);
  for (int c = 'a'; c <= 'f'; ++c) values[c] = static_cast<unsigned char>(c - 'a' + 10);
  return values;
}

constexpr std::array<char, 512> kPairs = MakePairs();
constexpr std::array<unsigned char, 256> kValues = MakeValues();

// Every pair decoded in advance, indexed by first | second << 8 (the pair read as one
// little-endian 16-bit value): one load and one lookup a byte. A pair gives both digits,
// the first alone when the second is none, or 0 when the first is none; so only the
// 22 rows of a digit first need filling.
constexpr std::array<unsigned char, 65536> MakePairValues() {
  std::array<unsigned char, 65536> values{};
  for (unsigned first = 0; first < 256; ++first) {
    const unsigned char high = kValues[first];
    if (high == kNotDigit) continue;
    for (unsigned second = 0; second < 256; ++second) {
      const unsigned char low = kValues[second];
      values[first | second << 8] =
          low == kNotDigit ? high : static_cast<unsigned char>((high << 4) | low);
    }
  }
  return values;
}

constexpr std::array<unsigned char, 65536> kPairValues = MakePairValues();

}  // namespace

void WriteHex(const unsigned char *in, std::size_t n, char *out) noexcept {
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char byte = in[i];  // read before the write that may cover it
    std::memcpy(out + 2 * i, &kPairs[2 * static_cast<std::size_t>(byte)], 2);
  }
}

bool BlobToHex(std::string_view data, ByteBuffer &hex) noexcept {
  if (data.size() > (SIZE_MAX - 1) / 2 || !hex.Resize(2 * data.size())) return false;
  WriteHex(reinterpret_cast<const unsigned char *>(data.data()), data.size(), hex.data());
  return true;
}

std::size_t HexToBlobLength(std::size_t length) noexcept {
  return length < 4 ? 0 : (length - 2) / 2;
}

void DecodeQuotedBlob(std::string_view quoted, unsigned char *out) noexcept {
  const std::size_t n = HexToBlobLength(quoted.size());
  if (n == 0) return;  // an empty view may have no data pointer to step past
  const auto *digits = reinterpret_cast<const unsigned char *>(quoted.data()) + 2;
  for (std::size_t i = 0; i < n; ++i) {
    std::uint16_t pair;
    std::memcpy(&pair, digits + 2 * i, 2);
    if constexpr (std::endian::native == std::endian::big)
      pair = static_cast<std::uint16_t>(pair >> 8 | pair << 8);
    out[i] = kPairValues[pair];
  }
}

bool HexToBlob(std::string_view quoted, ByteBuffer &bytes) noexcept {
  if (!bytes.Resize(HexToBlobLength(quoted.size()))) return false;
  DecodeQuotedBlob(quoted, reinterpret_cast<unsigned char *>(bytes.data()));
  return true;
}

}  // namespace kiv::blob
