// Hex codec: a 256-entry table of digit pairs for encoding, and for decoding a table of
// every possible pair's byte, built from the one-digit rule at load time.
#include "blob/hex_codec.h"

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

// One pair: both digits, the first alone, or nothing.
constexpr unsigned char DecodePair(unsigned char high, unsigned char low) {
  const unsigned char h = kValues[high];
  const unsigned char l = kValues[low];
  if (h == kNotDigit) return 0;
  if (l == kNotDigit) return h;
  return static_cast<unsigned char>((h << 4) | l);
}

// Every pair decoded in advance, indexed by first | second << 8 (the pair read as one
// little-endian 16-bit value): one load and one lookup a byte.
std::array<unsigned char, 65536> MakePairValues() {
  std::array<unsigned char, 65536> values{};
  for (unsigned first = 0; first < 256; ++first) {
    for (unsigned second = 0; second < 256; ++second)
      values[first | second << 8] = DecodePair(static_cast<unsigned char>(first), static_cast<unsigned char>(second));
  }
  return values;
}

const std::array<unsigned char, 65536> kPairValues = MakePairValues();

}  // namespace

void WriteHex(const unsigned char *in, std::size_t n, char *out) noexcept {
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char byte = in[i];  // read before the write that may cover it
    std::memcpy(out + 2 * i, &kPairs[2 * static_cast<std::size_t>(byte)], 2);
  }
}

std::string BlobToHex(std::string_view data) {
  std::string hex(2 * data.size(), '\0');
  WriteHex(reinterpret_cast<const unsigned char *>(data.data()), data.size(), hex.data());
  return hex;
}

std::size_t HexToBlobLength(std::size_t length) noexcept {
  return length < 4 ? 0 : (length - 2) / 2;
}

void WriteBlob(std::string_view quoted, unsigned char *out) noexcept {
  const std::size_t n = HexToBlobLength(quoted.size());
  if (n == 0) return;  // an empty view may have no data pointer to step past
  const auto *digits = reinterpret_cast<const unsigned char *>(quoted.data()) + 2;
  for (std::size_t i = 0; i < n; ++i) {
    std::uint16_t pair;
    std::memcpy(&pair, digits + 2 * i, 2);
    if constexpr (std::endian::native == std::endian::big) pair = static_cast<std::uint16_t>(pair >> 8 | pair << 8);
    out[i] = kPairValues[pair];
  }
}

std::string HexToBlob(std::string_view quoted) {
  std::string bytes(HexToBlobLength(quoted.size()), '\0');
  WriteBlob(quoted, reinterpret_cast<unsigned char *>(bytes.data()));
  return bytes;
}

}  // namespace kiv::blob
