// IsUtf8: the strict form only, as Windows' converters and the script reader need it.
#include "base/utf8.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

TEST(Utf8, TakesEachLengthAndRefusesOverlongSurrogateBeyondAndCutForms) {
  const struct {
    const char *text;
    bool utf8;
  } cases[] = {{"plain", true},
               {"Zo\xC3\xAB", true},
               {"\xE2\x82\xAC", true},
               {"\xF4\x8F\xBF\xBF", true},
               {"\xC0\xAF", false},
               {"\xE0\x9F\xBF", false},
               {"\xED\xA0\x80", false},
               {"\xED\xBF\xBF", false},
               {"\xF4\x90\x80\x80", false},
               {"\xE2\x82", false},
               {"\xE2\x28\xAC", false},
               {"\x80", false}};
  for (const auto &c : cases) EXPECT_EQ(IsUtf8(c.text), c.utf8) << c.text;
}

}  // namespace
}  // namespace kiv
