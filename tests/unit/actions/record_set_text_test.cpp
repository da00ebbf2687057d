// BuildRecordSetText over results of SQL made for the purpose, so that any cell content
// can be tried.
#include "actions/sql_actions.h"

#include <gtest/gtest.h>

namespace kiv::actions {
namespace {

// The record-set text of what `sql` selects in a temporary database.
std::string Build(const char *sql) {
  db::DbHandle db;
  db::ResultTable table;
  EXPECT_TRUE(db::OpenDatabase("", db));
  EXPECT_TRUE(db::QueryTable(db, sql, table)) << db::LastErrorText(db);
  ByteBuffer text;
  EXPECT_TRUE(BuildRecordSetText(table, text));
  return std::string(text.view());
}

TEST(RecordSetText, JoinsCellsWithBarsAndEndsRowsWithCarriageReturns) {
  EXPECT_EQ(Build("VALUES(1, 'ab', NULL), (2, 'p|q', ''), (3, NULL, 'x')"),
            "1|ab|\r2|p|q|\r3||x\r");
  EXPECT_EQ(Build("SELECT 3"), "3\r");
  EXPECT_EQ(Build("SELECT 1, 2 WHERE 0"), "");  // no rows, no bytes
  EXPECT_EQ(Build("SELECT 'line' || char(13) || 'break' || char(10)"),
            "line\rbreak\n\r");  // nothing escaped
  EXPECT_EQ(Build("VALUES('', ''), ('', '')"), "|\r|\r");
}

TEST(RecordSetText, HundredThousandRowsComeOutWhole) {
  const std::string text = Build(
      "WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i < 99999) "
      "SELECT 12345, CASE WHEN i % 3 = 0 THEN NULL ELSE 'abc' END FROM c");
  std::size_t expected = 0;
  for (int i = 0; i < 100000; ++i) expected += 5 + 1 + (i % 3 == 0 ? 0 : 3) + 1;
  EXPECT_EQ(text.size(), expected);
  EXPECT_EQ(text.substr(0, 14), "12345|\r12345|a");
}

}  // namespace
}  // namespace kiv::actions
