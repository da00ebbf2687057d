// The frame: ParamField's "|" split of the parameter text, the in-place split that the
// actions use, which must give the same fields, each zero-terminated, and the rules that
// find a text cut by a "|" inside a field.
#include "frame/param_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace kiv::frame {
namespace {

// ParamField: field n of a text; SplitFields must give the same fields, each zero-terminated.
struct FieldCase {
  std::string text;
  int n;
  std::string field;
};

class ParamFieldCases : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ParamFieldCases, GivesTheFieldBetweenSeparatorsAndSplitFieldsAgrees) {
  const FieldCase &c = GetParam();
  EXPECT_EQ(ParamField(c.text, c.n), c.field) << "text '" << c.text << "' field " << c.n;
  if (c.n < 1) return;
  ByteBuffer copy;
  std::vector<std::string_view> fields(static_cast<std::size_t>(c.n));
  ASSERT_TRUE(SplitFields(c.text, copy, fields.data(), fields.size()));
  EXPECT_EQ(fields.back(), c.field);
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
                      FieldCase{"a.db|DELETE FROM t", 3, ""}, FieldCase{"", 1, ""},
                      FieldCase{"", 6, ""}, FieldCase{"|||||", 1, ""}, FieldCase{"|||||", 6, ""},
                      FieldCase{"|||||", 7, ""}, FieldCase{"no separators", 1, "no separators"},
                      FieldCase{"no separators", 2, ""}, FieldCase{"a|b", 0, ""},
                      FieldCase{"a|b", -1, ""}, FieldCase{"d|t|c|5|f|v", 6, "v"},
                      FieldCase{"x|", 2, ""}, FieldCase{"|x", 2, "x"}));

// FindAnswerTarget: the variable an answer goes to, and whether a "|" inside a field cut
// the text (which then runs nothing).
struct TargetCase {
  std::string text;
  std::size_t n;           // the variable's field: 3 (field 2 is SQL) or 6
  std::string variable;    // where the answer goes
  bool cut;                // a "|" inside a field cut the text
  bool overBound = false;  // the text reached 16 MiB without its NUL
};

class AnswerTargetCases : public ::testing::TestWithParam<TargetCase> {};

TEST_P(AnswerTargetCases, FindsTheVariableAndTellsACutText) {
  const TargetCase &c = GetParam();
  const AnswerTarget target = FindAnswerTarget(ParamText{c.text, c.overBound}, c.n, c.n == 3);
  EXPECT_EQ(target.variable, c.variable) << c.text;
  EXPECT_EQ(target.cut, c.cut) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Targets, AnswerTargetCases,
    ::testing::Values(
        TargetCase{"new.db|CREATE TABLE t(a)|res", 3, "res", false},
        TargetCase{" a.db | SELECT 1 | v ", 3, " v ", false},
        TargetCase{"a.db|SELECT 'x'||'y'|res", 3, "res", true},
        TargetCase{"s.db|UPDATE s SET f = 0 | 4 WHERE id = 1|res", 3, "res", true},
        TargetCase{"a.db|DELETE FROM t", 3, "", false},  // no variable: runs all the same
        // The variable's field reads as SQL that a "|" cut, with no variable after it: a
        // blank inside (form feed and vertical tab are blanks to SQLite), a comment marker.
        TargetCase{"t.db|UPDATE t SET f = 0 | 4 WHERE id = 1|", 3, " 4 WHERE id = 1", true},
        TargetCase{"t.db|DELETE FROM t -- old|new\nWHERE id = 3", 3, "new\nWHERE id = 3", true},
        TargetCase{"d|t|c|5|f|v\tw", 6, "v\tw", true},
        TargetCase{"t.db|UPDATE t SET f = 0 |4\fWHERE\vid=1", 3, "4\fWHERE\vid=1", true},
        TargetCase{"t.db|UPDATE t SET f = 0 |4/**/WHERE/**/id=1", 3, "4/**/WHERE/**/id=1", true},
        TargetCase{"d|t|c|5|f|v--", 6, "v--", true},
        TargetCase{"d|t|c|5|f|\fv\v", 6, "\fv\v", false},  // blanks at its ends are allowed
        TargetCase{"d|t|c|5|f|\r\nv \t", 6, "\r\nv \t", false},
        TargetCase{"a.db|DELETE FROM t|res|more", 3, "more", true},  // a deliberate extra field
        TargetCase{"a.db|SELECT 1|res| \t|\r\n", 3, "res", false},   // trailing blank fields
        TargetCase{"a.db|SELECT 1|| ", 3, "", false}, TargetCase{"", 6, "", false},
        TargetCase{"|||||", 6, "", false}, TargetCase{"d|t|c|5|f||v|", 6, "v", true},
        TargetCase{"d|t|c|5|f|||", 6, "", false}, TargetCase{"d|t|c|5|f|v|w", 6, "w", true},
        TargetCase{"d|t|c|5|f|v| ", 6, "v", false},
        // A quote, a quoted name or a comment of the SQL that a later field closes.
        TargetCase{"q.db|DELETE FROM t; SELECT 'a|b'", 3, "b'", true},
        TargetCase{"q.db|SELECT \"a|b\" FROM t", 3, "b\" FROM t", true},
        TargetCase{"q.db|SELECT [a|b] FROM t", 3, "b] FROM t", true},
        TargetCase{"q.db|SELECT `a|b`", 3, "b`", true},
        TargetCase{"q.db|SELECT 1 /* a|b */", 3, "b */", true},
        TargetCase{"q.db|SELECT 'it''s|x'", 3, "x'", true},      // '' stays inside
        TargetCase{"q.db|SELECT 'a'|r'", 3, "r'", false},        // closed before the "|"
        TargetCase{"q.db|SELECT 'a''|r", 3, "r", false},         // never closed: not cut
        TargetCase{"q.db|SELECT 1 -- it's|r'", 3, "r'", false},  // a comment's quote
        TargetCase{"q.db|SELECT '--'/*'*/|r'", 3, "r'", false},
        TargetCase{"d|t|c|5|f|v", 6, "v", false},
        // Over the 16 MiB bound: the last field, when it is the variable's or later.
        TargetCase{"d|SELECT 1|res", 3, "res", true, true},
        TargetCase{"d|SELECT 1", 3, "", true, true}));

}  // namespace
}  // namespace kiv::frame
