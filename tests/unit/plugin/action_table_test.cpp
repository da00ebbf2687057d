// ActionTable: the hints built from its rows, and the numbers it answers to.
#include "plugin/action_table.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kiv::plugin {
namespace {

TEST(ActionTable, HintsAreDescriptionNameAndTemplateOf115And92And149Bytes) {
  const std::size_t lengths[4] = {115, 92, 149, 149};
  char hint[kHintRoom];
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(BuildHint(ActionTable[i], hint), lengths[i]);
    EXPECT_EQ(std::strlen(hint), lengths[i]);
  }
}

TEST(ActionTable, FindsOnlyTheFourNumbers) {
  for (int n : {1, 2, 3, 4}) EXPECT_EQ(FindAction(n)->number, n);
  for (int n : {0, 5, -1, INT32_MIN, INT32_MAX}) EXPECT_EQ(FindAction(n), nullptr);
}

}  // namespace
}  // namespace kiv::plugin
