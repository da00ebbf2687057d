// BlobToHex and HexToBlob, including the odd texts the pair rule meets.
#include "blob/hex_codec.h"
#include "blob/hex_codec_pieces.h"

#include <gtest/gtest.h>

#include "support/test_folder.h"

namespace kiv::blob {
namespace {

using namespace std::string_literals;

std::string BlobToHex(std::string_view data) {
  ByteBuffer hex;
  EXPECT_TRUE(blob::BlobToHex(data, hex));
  return std::string(hex.view());
}

std::string HexToBlob(std::string_view quoted) {
  ByteBuffer bytes;
  EXPECT_TRUE(blob::HexToBlob(quoted, bytes));
  return std::string(bytes.view());
}

TEST(BlobToHex, WritesTwoUppercaseDigitsPerByte) {
  EXPECT_EQ(BlobToHex(""), "");
  EXPECT_EQ(BlobToHex("\x00\x0F\x10\xFF"s), "000F10FF");
  EXPECT_EQ(BlobToHex("\x0a\xab"s), "0AAB");
}

struct DecodeCase {
  std::string quoted;
  std::string bytes;
};

class HexToBlobCases : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(HexToBlobCases, ReadsOnePairPerByte) {
  EXPECT_EQ(HexToBlob(GetParam().quoted), GetParam().bytes) << GetParam().quoted;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HexToBlobCases,
    ::testing::Values(
        DecodeCase{"X''", ""}, DecodeCase{"X'00FF'", "\x00\xFF"s}, DecodeCase{"X'0a'", "\x0a"},
        DecodeCase{"x'7f'", "\x7f"}, DecodeCase{"NULL", "\x00"s},  // the pair LL
        DecodeCase{"'abc'", "\xBC"},                               // the pair bc
        DecodeCase{"42", ""}, DecodeCase{"1234", "\x34"}, DecodeCase{"X'4G'", "\x04"},
        DecodeCase{"X'G4'", "\x00"s}, DecodeCase{"X' 5'", "\x00"s}, DecodeCase{"", ""},
        DecodeCase{"X", ""}, DecodeCase{"X'0", ""}, DecodeCase{"X'012", "\x01"},
        DecodeCase{"X'0123", "\x01\x23"}));  // L even: the last pair takes the last char

TEST(HexCodec, RoundTripsEveryByteAndLength) {
  for (std::size_t n : {0u, 1u, 2u, 255u, 256u, 4097u}) {
    const std::string data = test::RandomBytes(n, static_cast<unsigned>(n));
    EXPECT_EQ(HexToBlob("X'" + BlobToHex(data) + "'"), data) << n;
  }
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(HexToBlob("X'" + BlobToHex(all) + "'"), all);
}

TEST(HexCodec, ExpandsInPlaceWhenTheBytesSitBehindTheirDigits) {
  const std::string data = test::RandomBytes(1001, 7);
  std::string buffer(2 * data.size(), '\0');
  std::copy(data.begin(), data.end(), buffer.begin() + static_cast<long>(data.size()));
  WriteHex(reinterpret_cast<const unsigned char *>(buffer.data() + data.size()), data.size(),
           buffer.data());
  EXPECT_EQ(buffer, BlobToHex(data));
}

}  // namespace
}  // namespace kiv::blob
