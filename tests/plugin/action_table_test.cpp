// The exports linked directly, where a host cannot look: what they keep in HostLink, and
// host calls out of contract (before registration, null slots) that a registered host
// never makes.
#include <gtest/gtest.h>

#include "frame/frame.h"
#include "kivsqlite3.h"
#include "plugin/action_table.h"
#include "support/test_folder.h"

namespace kiv::plugin {
namespace {

using frame::hostLink;

class Exports : public test::TestFolder {};

TEST_F(Exports, ActionBeforeRegistrationRunsWithoutHandBack) {
  hostLink = frame::HostLink{};
  const std::string params = Path("early.db") + "|CREATE TABLE t(a)|res";
  const char *text = params.c_str();
  EXPECT_EQ(qvExecAction(1, &text), 1);
  EXPECT_TRUE(test::Exists(Path("early.db")));  // the action ran all the same
  EXPECT_EQ(qvExecAction(2, nullptr), 1);       // a null parameter address reads as empty
}

TEST_F(Exports, NullSlotsAreSkippedAndOthersFilled) {
  HostTextSlot author = 0;
  qvInitPlugIn(7, nullptr, &author, nullptr);
  ASSERT_NE(author, 0);
  EXPECT_STREQ(reinterpret_cast<const char *>(author), "KivSQLite3 developers");
  EXPECT_EQ(hostLink.initPlugInArg1, 7);
  qvInitPlugIn(7, nullptr, &author, nullptr);  // frees and refills; LeakSanitizer checks the free
  free(reinterpret_cast<void *>(author));
}

TEST(HostLinkValues, EachExportKeepsItsOwnAndRegistrationStoresAllFour) {
  hostLink = frame::HostLink{};
  qvRegisterScriptProcessor(99);
  qvRegisterInterfaceAccess(98);
  qvMessage(5, 97);  // keeps nothing
  EXPECT_EQ(hostLink.scriptProcessor, 99);
  EXPECT_EQ(hostLink.interfaceAccess, 98);
  qvRegisterPlugIn(nullptr, 11, 22, nullptr);  // a null callback: nothing is announced
  EXPECT_EQ(hostLink.registerPlugInArg2, 11);
  EXPECT_EQ(hostLink.registerPlugInArg3, 22);
  EXPECT_EQ(hostLink.scriptProcessor, 99);
  EXPECT_EQ(hostLink.initPlugInArg1, 0);
}

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
