// The frame: ParamField's "|" split of the parameter text, the in-place split that the
// actions use, which must give the same fields, each zero-terminated, and the rules that
// find a text cut by a "|" inside a field.
#include "frame/frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace kiv::frame {
namespace {

struct FieldCase {
  std::string text;
  int n;
  std::string expected;
};

class ParamFieldCases : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ParamFieldCases, GivesTheFieldBetweenSeparatorsAndSplitFieldsAgrees) {
  const FieldCase &c = GetParam();
  EXPECT_EQ(ParamField(c.text, c.n), c.expected) << "text '" << c.text << "' field " << c.n;
  if (c.n < 1) return;
  ByteBuffer copy;
  std::vector<std::string_view> fields(static_cast<std::size_t>(c.n));
  ASSERT_TRUE(SplitFields(c.text, copy, fields.data(), fields.size()));
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
                      FieldCase{"a.db|SELECT 'x'||'y'|res", 4, "'y'"},
                      FieldCase{"a.db|DELETE FROM t", 3, ""},  // only two fields
                      FieldCase{"", 1, ""}, FieldCase{"", 6, ""}, FieldCase{"|||||", 1, ""},
                      FieldCase{"|||||", 6, ""}, FieldCase{"|||||", 7, ""},
                      FieldCase{"no separators", 1, "no separators"},
                      FieldCase{"no separators", 2, ""}, FieldCase{"a|b", 0, ""},
                      FieldCase{"a|b", -1, ""}, FieldCase{"d|t|c|5|f|v", 6, "v"},
                      FieldCase{"x|", 2, ""}, FieldCase{"|x", 2, "x"}));

// Where the answer goes: field n, or for a text that a "|" inside a field cut, the last
// field that holds more than blanks, with nothing run.
struct TargetCase {
  std::string text;
  std::size_t n;
  bool sql;
  bool cut;
  std::string variable;
  bool overBound = false;
};

class AnswerTargetCases : public ::testing::TestWithParam<TargetCase> {};

TEST_P(AnswerTargetCases, CutOnlyWhenABarStoodInsideAField) {
  const TargetCase &c = GetParam();
  const AnswerTarget target = FindAnswerTarget(ParamText{c.text, c.overBound}, c.n, c.sql);
  EXPECT_EQ(target.cut, c.cut) << c.text;
  EXPECT_EQ(target.variable, c.variable) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Targets, AnswerTargetCases,
    ::testing::Values(
        TargetCase{"a.db|SELECT 1|res", 3, true, false, "res"},
        TargetCase{"a.db|SELECT 1|res|", 3, true, false, "res"},  // trailing blank fields
        TargetCase{"a.db|SELECT 1|res| \t|\r\n", 3, true, false, "res"},
        TargetCase{"a.db|SELECT 1|| ", 3, true, false, ""},
        TargetCase{"a.db|DELETE FROM t", 3, true, false, ""},  // no variable: runs all the same
        TargetCase{"a.db|SELECT 'x'||'y'|res", 3, true, true, "res"},  // SQL's "||"
        TargetCase{"s.db|UPDATE s SET f = 0 | 4 WHERE id = 1|res", 3, true, true, "res"},
        TargetCase{"a.db|DELETE FROM t|res|more", 3, false, true, "more"},
        TargetCase{"d|t|c|5|f||v|", 6, false, true, "v"},
        TargetCase{"d|t|c|5|f|v|w", 6, false, true, "w"},
        TargetCase{"d|t|c|5|f|||", 6, false, false, ""},
        TargetCase{"d|t|c|5|f|v| ", 6, false, false, "v"},
        // A quote, a quoted name or a comment that a later field closes.
        TargetCase{"q.db|DELETE FROM t; SELECT 'a|b'", 3, true, true, "b'"},
        TargetCase{"q.db|DELETE FROM t; SELECT 'a|b'", 3, false, false, "b'"},
        TargetCase{"q.db|SELECT \"a|b\" FROM t", 3, true, true, "b\" FROM t"},
        TargetCase{"q.db|SELECT [a|b] FROM t", 3, true, true, "b] FROM t"},
        TargetCase{"q.db|SELECT `a|b`", 3, true, true, "b`"},
        TargetCase{"q.db|SELECT 1 /* a|b */", 3, true, true, "b */"},
        TargetCase{"q.db|SELECT 'it''s|x'", 3, true, true, "x'"},      // '' stays inside
        TargetCase{"q.db|SELECT 'a'|r'", 3, true, false, "r'"},        // closed before the "|"
        TargetCase{"q.db|SELECT 'a''|r", 3, true, false, "r"},         // never closed: not cut
        TargetCase{"q.db|SELECT 1 -- it's|r'", 3, true, false, "r'"},  // a comment's quote
        TargetCase{"q.db|SELECT '--'/*'*/|r'", 3, true, false, "r'"},
        // Over the 16 MiB bound: the last field, when it is the variable's or later.
        TargetCase{"d|SELECT 1|res", 3, true, true, "res", true},
        TargetCase{"d|SELECT 1", 3, true, true, "", true}));

}  // namespace
}  // namespace kiv::frame
