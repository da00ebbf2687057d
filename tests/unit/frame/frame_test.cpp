// The frame: ParamField's "|" split of the parameter text, the in-place split that the
// actions use, which must give the same fields, each zero-terminated, and the rules that
// find a text cut by a "|" inside a field.
#include "frame/param_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace kiv::frame {
namespace {

struct FieldCase {
  std::string text;
  int n;
  std::string expected;
  // For n = 3 (SQL in field 2) and n = 6, where the answer goes: nullopt, field n; or a
  // text a "|" inside a field cut, which runs nothing, and the variable the author meant.
  std::optional<std::string> cutVariable = std::nullopt;
  bool overBound = false;  // the text reached 16 MiB without its NUL
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
  if (c.n != 3 && c.n != 6) return;
  const AnswerTarget target = FindAnswerTarget(ParamText{c.text, c.overBound}, c.n, c.n == 3);
  EXPECT_EQ(target.cut, c.cutVariable.has_value()) << c.text;
  EXPECT_EQ(target.variable, c.cutVariable.value_or(c.expected)) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ParamFieldCases,
    ::testing::Values(
        FieldCase{"new.db|CREATE TABLE t(a)|res", 1, "new.db"},
        FieldCase{"new.db|CREATE TABLE t(a)|res", 2, "CREATE TABLE t(a)"},
        FieldCase{"new.db|CREATE TABLE t(a)|res", 3, "res"},
        FieldCase{"new.db|CREATE TABLE t(a)|res", 4, ""},  // past the last field
        FieldCase{" a.db | SELECT 1 | v ", 1, " a.db "},   // blanks are kept
        FieldCase{" a.db | SELECT 1 | v ", 3, " v "},
        FieldCase{"a\tb\r\n|x", 1, "a\tb\r\n"},                  // so are tabs and line breaks
        FieldCase{"a.db|SELECT 'x'||'y'|res", 2, "SELECT 'x'"},  // "||" cuts the SQL
        FieldCase{"a.db|SELECT 'x'||'y'|res", 3, "", "res"},
        FieldCase{"a.db|SELECT 'x'||'y'|res", 4, "'y'"},
        FieldCase{"s.db|UPDATE s SET f = 0 | 4 WHERE id = 1|res", 3, " 4 WHERE id = 1", "res"},
        FieldCase{"a.db|DELETE FROM t", 3, ""},  // no variable: runs all the same
        // A blank inside the variable's field: SQL that a "|" cut, with no variable after.
        FieldCase{"t.db|UPDATE t SET f = 0 | 4 WHERE id = 1|", 3, " 4 WHERE id = 1",
                  " 4 WHERE id = 1"},
        FieldCase{"t.db|DELETE FROM t -- old|new\nWHERE id = 3", 3, "new\nWHERE id = 3",
                  "new\nWHERE id = 3"},
        FieldCase{"d|t|c|5|f|v\tw", 6, "v\tw", "v\tw"},
        // Form feed and vertical tab are blanks to SQLite; comment markers end no name.
        FieldCase{"t.db|UPDATE t SET f = 0 |4\fWHERE\vid=1", 3, "4\fWHERE\vid=1", "4\fWHERE\vid=1"},
        FieldCase{"t.db|UPDATE t SET f = 0 |4/**/WHERE/**/id=1", 3, "4/**/WHERE/**/id=1",
                  "4/**/WHERE/**/id=1"},
        FieldCase{"d|t|c|5|f|v--", 6, "v--", "v--"}, FieldCase{"d|t|c|5|f|\fv\v", 6, "\fv\v"},
        FieldCase{"d|t|c|5|f|\r\nv \t", 6, "\r\nv \t"},
        FieldCase{"a.db|DELETE FROM t|res|more", 3, "res", "more"},  // a deliberate extra field
        FieldCase{"a.db|SELECT 1|res| \t|\r\n", 3, "res"},           // trailing blank fields
        FieldCase{"a.db|SELECT 1|| ", 3, ""}, FieldCase{"", 1, ""}, FieldCase{"", 6, ""},
        FieldCase{"|||||", 1, ""}, FieldCase{"|||||", 6, ""}, FieldCase{"|||||", 7, ""},
        FieldCase{"d|t|c|5|f||v|", 6, "", "v"}, FieldCase{"d|t|c|5|f|||", 6, ""},
        FieldCase{"d|t|c|5|f|v|w", 6, "v", "w"}, FieldCase{"d|t|c|5|f|v| ", 6, "v"},
        FieldCase{"no separators", 1, "no separators"}, FieldCase{"no separators", 2, ""},
        FieldCase{"a|b", 0, ""}, FieldCase{"a|b", -1, ""}, FieldCase{"d|t|c|5|f|v", 6, "v"},
        FieldCase{"x|", 2, ""}, FieldCase{"|x", 2, "x"},
        // A quote, a quoted name or a comment of the SQL that a later field closes.
        FieldCase{"q.db|DELETE FROM t; SELECT 'a|b'", 3, "b'", "b'"},
        FieldCase{"q.db|SELECT \"a|b\" FROM t", 3, "b\" FROM t", "b\" FROM t"},
        FieldCase{"q.db|SELECT [a|b] FROM t", 3, "b] FROM t", "b] FROM t"},
        FieldCase{"q.db|SELECT `a|b`", 3, "b`", "b`"},
        FieldCase{"q.db|SELECT 1 /* a|b */", 3, "b */", "b */"},
        FieldCase{"q.db|SELECT 'it''s|x'", 3, "x'", "x'"},  // '' stays inside
        FieldCase{"q.db|SELECT 'a'|r'", 3, "r'"},           // closed before the "|"
        FieldCase{"q.db|SELECT 'a''|r", 3, "r"},            // never closed: not cut
        FieldCase{"q.db|SELECT 1 -- it's|r'", 3, "r'"},     // a comment's quote
        FieldCase{"q.db|SELECT '--'/*'*/|r'", 3, "r'"},
        // Over the 16 MiB bound: the last field, when it is the variable's or later.
        FieldCase{"d|SELECT 1|res", 3, "res", "res", true},
        FieldCase{"d|SELECT 1", 3, "", "", true}));

}  // namespace
}  // namespace kiv::frame
