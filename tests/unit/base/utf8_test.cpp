// IsUtf8: the strict form only, as Windows' converters and the script reader need it.
#include "base/utf8.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

TEST(Utf8, TakesEachLengthAndRefusesOverlongSurrogateBeyondAndCutForms) {
  for (const char *text : {"plain", "Zo\xC3\xAB", "\xE2\x82\xAC", "\xF4\x8F\xBF\xBF"})
    EXPECT_TRUE(IsUtf8(text)) << text;
  for (const char *text : {"\xC0\xAF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                           "\xE2\x82", "\xE2\x28\xAC", "\x80"})
    EXPECT_FALSE(IsUtf8(text)) << text;
}

}  // namespace
}  // namespace kiv
