// The frame: ParamField's "|" split of the parameter text, and the in-place split that
// the actions use, which must give the same fields, each zero-terminated; and HostLink,
// as the exports (linked directly, where a host cannot look) fill it, with the host
// calls out of contract (before registration, null slots) that a registered host never
// makes.
#include "frame/frame.h"

#include <gtest/gtest.h>

#include "kivsqlite3.h"
#include "support/test_folder.h"

namespace kiv::frame {
namespace {

struct FieldCase {
  std::string text;
  int n;
  std::string expected;
  std::string cutVariable = "";  // when field n is empty and a later one is not
};

class ParamFieldCases : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ParamFieldCases, GivesTheFieldBetweenSeparatorsAndSplitParamsAgrees) {
  const FieldCase &c = GetParam();
  EXPECT_EQ(ParamField(c.text, c.n), c.expected) << "text '" << c.text << "' field " << c.n;
  if (c.n < 1) return;
  ByteBuffer copy;
  std::vector<std::string_view> fields(static_cast<std::size_t>(c.n));
  std::string_view cut;
  ASSERT_TRUE(SplitParams(c.text.c_str(), copy, fields.data(), fields.size(), &cut));
  EXPECT_EQ(fields.back(), c.expected);
  EXPECT_EQ(fields.back().data()[fields.back().size()], '\0');
  // The variable a text cut by a "|" inside a field meant: the last field with content.
  EXPECT_EQ(cut, c.cutVariable) << c.text;
  if (cut.data() != nullptr) {
    EXPECT_EQ(cut.data()[cut.size()], '\0');
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ParamFieldCases,
    ::testing::Values(FieldCase{"new.db|CREATE TABLE t(a)|res", 1, "new.db"},
                      FieldCase{"new.db|CREATE TABLE t(a)|res", 2, "CREATE TABLE t(a)"},
                      FieldCase{"new.db|CREATE TABLE t(a)|res", 3, "res"},
                      FieldCase{"new.db|CREATE TABLE t(a)|res", 4, ""},  // past the last field
                      FieldCase{" a.db | SELECT 1 | v ", 1, " a.db "},   // blanks are kept
                      FieldCase{" a.db | SELECT 1 | v ", 3, " v "},
                      FieldCase{"a\tb\r\n|x", 1, "a\tb\r\n"},  // so are tabs and line breaks
                      FieldCase{"a.db|SELECT 'x'||'y'|res", 2, "SELECT 'x'"},  // "||" cuts the SQL
                      FieldCase{"a.db|SELECT 'x'||'y'|res", 3, "", "res"},
                      FieldCase{"a.db|SELECT 'x'||'y'|res", 4, "'y'"},
                      FieldCase{"a.db|DELETE FROM t", 3, ""},              // only two fields
                      FieldCase{"a.db|DELETE FROM t|res|more", 3, "res"},  // extra fields ignored
                      FieldCase{"", 1, ""}, FieldCase{"", 6, ""}, FieldCase{"|||||", 1, ""},
                      FieldCase{"|||||", 6, ""}, FieldCase{"|||||", 7, ""},
                      FieldCase{"d|t|c|5|f||v|", 6, "", "v"},  // one "|" too many
                      FieldCase{"d|t|c|5|f|||", 6, ""},        // nothing after: not cut
                      FieldCase{"no separators", 1, "no separators"},
                      FieldCase{"no separators", 2, ""}, FieldCase{"a|b", 0, ""},
                      FieldCase{"a|b", -1, ""}, FieldCase{"d|t|c|5|f|v", 6, "v"},
                      FieldCase{"d|t|c|5|f|v|w", 6, "v"}, FieldCase{"x|", 2, ""},
                      FieldCase{"|x", 2, "x"}));

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
  qvMessage(5, 97);  // keeps nothing
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
