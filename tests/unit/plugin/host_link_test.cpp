// HostLink, as the exports (linked directly, where a host cannot look) fill it, with the
// host calls out of contract (before registration, null slots) that a registered host
// never makes.
#include <gtest/gtest.h>

#include <cstring>

#include "frame/frame.h"
#include "kivsqlite3.h"
#include "support/test_folder.h"

namespace kiv::frame {
namespace {

class Exports : public test::TestFolder {};

TEST_F(Exports, ActionBeforeRegistrationRunsWithoutHandBack) {
  hostLink = HostLink{};
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
  hostLink = HostLink{};
  qvRegisterScriptProcessor(99);
  qvRegisterInterfaceAccess(98);
  const HostLink before = hostLink;
  qvMessage(5, 97);  // keeps nothing
  EXPECT_EQ(std::memcmp(&before, &hostLink, sizeof before), 0);
  EXPECT_EQ(hostLink.scriptProcessor, 99);
  EXPECT_EQ(hostLink.interfaceAccess, 98);
  qvRegisterPlugIn(nullptr, 11, 22, nullptr);  // a null callback: nothing is announced
  EXPECT_EQ(hostLink.registerPlugInArg2, 11);
  EXPECT_EQ(hostLink.registerPlugInArg3, 22);
  EXPECT_EQ(hostLink.scriptProcessor, 99);
  EXPECT_EQ(hostLink.initPlugInArg1, 0);
}

}  // namespace
}  // namespace kiv::frame
