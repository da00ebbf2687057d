// The action frame linked directly: hand-back rules and host calls out of contract
// (before registration, null slots), which the host tests cannot reach once the
// module is registered.
#include <gtest/gtest.h>

#include "host/host_record.h"
#include "kivsqlite3.h"
#include "plugin/action_table.h"
#include "plugin/host_link.h"
#include "support/test_folder.h"

namespace kiv::plugin {
namespace {

class Frame : public test::TestFolder {};

TEST_F(Frame, ActionBeforeRegistrationRunsWithoutHandBack) {
  hostLink = HostLink{};
  const std::string params = Path("early.db") + "|CREATE TABLE t(a)|res";
  const char *text = params.c_str();
  EXPECT_EQ(qvExecAction(1, &text), 1);
  EXPECT_TRUE(test::Exists(Path("early.db")));  // the action ran all the same
  EXPECT_EQ(qvExecAction(2, nullptr), 1);       // a null parameter address reads as empty
}

TEST_F(Frame, NullSlotsAreSkippedAndOthersFilled) {
  HostTextSlot author = 0;
  qvInitPlugIn(7, nullptr, &author, nullptr);
  ASSERT_NE(author, 0);
  EXPECT_STREQ(reinterpret_cast<const char *>(author), "KivSQLite3 developers");
  EXPECT_EQ(hostLink.initPlugInArg1, 7);
  qvInitPlugIn(7, nullptr, &author, nullptr);  // frees and refills; LeakSanitizer checks the free
  free(reinterpret_cast<void *>(author));
}

TEST(ActionTable, HintsHaveTheirDocumentedLengths) {
  const std::size_t lengths[4] = {115, 92, 149, 149};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(BuildHint(ActionTable[i]).size(), lengths[i]);
}

TEST(ActionTable, FindsOnlyTheFourNumbers) {
  for (int n : {1, 2, 3, 4}) EXPECT_EQ(FindAction(n)->number, n);
  for (int n : {0, 5, -1, INT32_MIN, INT32_MAX}) EXPECT_EQ(FindAction(n), nullptr);
}

}  // namespace
}  // namespace kiv::plugin
