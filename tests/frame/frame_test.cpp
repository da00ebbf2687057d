// The frame: ParamField's "|" split of the parameter text, and the in-place split that
// the actions use, which must give the same fields, each zero-terminated.
#include "frame/frame.h"

#include <gtest/gtest.h>

namespace kiv::frame {
namespace {

struct FieldCase {
  std::string text;
  int n;
  std::string expected;
};

class ParamFieldCases : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ParamFieldCases, GivesTheFieldBetweenSeparatorsAndSplitParamsAgrees) {
  const FieldCase &c = GetParam();
  EXPECT_EQ(ParamField(c.text, c.n), c.expected) << "text '" << c.text << "' field " << c.n;
  if (c.n < 1) return;
  ByteBuffer copy;
  std::vector<std::string_view> fields(static_cast<std::size_t>(c.n));
  ASSERT_TRUE(SplitParams(c.text.c_str(), copy, fields.data(), fields.size()));
  EXPECT_EQ(fields.back(), c.expected);
  EXPECT_EQ(fields.back().data()[fields.back().size()], '\0');
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
                      FieldCase{"a.db|SELECT 'x'||'y'|res", 3, ""},
                      FieldCase{"a.db|SELECT 'x'||'y'|res", 4, "'y'"},
                      FieldCase{"a.db|DELETE FROM t", 3, ""},              // only two fields
                      FieldCase{"a.db|DELETE FROM t|res|more", 3, "res"},  // extra fields ignored
                      FieldCase{"", 1, ""}, FieldCase{"", 6, ""}, FieldCase{"|||||", 1, ""},
                      FieldCase{"|||||", 6, ""}, FieldCase{"|||||", 7, ""},
                      FieldCase{"no separators", 1, "no separators"},
                      FieldCase{"no separators", 2, ""}, FieldCase{"a|b", 0, ""},
                      FieldCase{"a|b", -1, ""}, FieldCase{"d|t|c|5|f|v", 6, "v"},
                      FieldCase{"d|t|c|5|f|v|w", 6, "v"}, FieldCase{"x|", 2, ""},
                      FieldCase{"|x", 2, "x"}));

}  // namespace
}  // namespace kiv::frame
