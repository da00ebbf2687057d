// ByteBuffer and BoundedText: bytes with a NUL always behind them, every failure a false
// result that leaves the content as it was.
#include "base/byte_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace kiv {
namespace {

TEST(ByteBuffer, HoldsBytesWithANulBehindThemAndRefusesRoomItCannotHave) {
  ByteBuffer buffer;
  EXPECT_STREQ(buffer.c_str(), "");
  ASSERT_TRUE(buffer.Append(std::string_view("a\0b", 3)));
  ASSERT_TRUE(buffer.Append(std::string(100, 'c')));  // past the first room
  EXPECT_EQ(buffer.view(), std::string("a\0b", 3) + std::string(100, 'c'));
  EXPECT_EQ(buffer.c_str()[buffer.size()], '\0');
  ASSERT_TRUE(buffer.Assign("kept"));
  EXPECT_FALSE(buffer.Reserve(SIZE_MAX));
  EXPECT_FALSE(buffer.Append(std::string_view(buffer.data(), SIZE_MAX - 2)));  // never read
  ByteBuffer moved(std::move(buffer));
  EXPECT_STREQ(moved.c_str(), "kept");
  EXPECT_STREQ(buffer.c_str(), "");  // NOLINT(bugprone-use-after-move): left empty
  EXPECT_EQ(BoundedText("ab\0cd"), "ab");
  EXPECT_EQ(BoundedText(nullptr).data(), nullptr);
}

}  // namespace
}  // namespace kiv
