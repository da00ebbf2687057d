// ActionTable: the numbers it answers to.
#include "plugin/action_table.h"

#include <gtest/gtest.h>

namespace kiv::plugin {
namespace {

TEST(ActionTable, FindsOnlyTheFourNumbers) {
  for (int n : {1, 2, 3, 4}) EXPECT_EQ(FindAction(n)->number, n);
  for (int n : {0, 5, -1, INT32_MIN, INT32_MAX}) EXPECT_EQ(FindAction(n), nullptr);
}

}  // namespace
}  // namespace kiv::plugin
