// ResultTable, ExecSql and LastErrorText on real SQLite connections.
#include "db/result_table.h"

#include <gtest/gtest.h>

#include "db/database.h"
#include "support/test_folder.h"

namespace kiv::db {
namespace {

class ResultTableTest : public test::TestFolder {
 protected:
  void SetUp() override {
    TestFolder::SetUp();
    ASSERT_TRUE(OpenDatabase(Path("t.db"), handle_));
    ASSERT_TRUE(ExecSql(handle_,
                        "CREATE TABLE t(id INTEGER, name TEXT, r REAL, b BLOB);"
                        "INSERT INTO t VALUES(42, 'ab', 2.5, x'41004243');"
                        "INSERT INTO t VALUES(2, '', NULL, NULL);"
                        "INSERT INTO t VALUES(3, 'c', -0.125, x'');"));
  }
  void TearDown() override {
    ReleaseTable(table_);
    CloseDatabase(handle_, Ending::kCommitIgnoringOutcome);
    TestFolder::TearDown();
  }

  DbHandle handle_;
  ResultTable table_;
};

TEST_F(ResultTableTest, CursorWalksThreeRowsAndEndsPastTheLast) {
  ASSERT_TRUE(QueryTable(handle_, "SELECT id, name FROM t ORDER BY rowid", table_));
  EXPECT_EQ(table_.RowCount, 3);
  EXPECT_EQ(table_.ColumnCount, 2);
  EXPECT_TRUE(table_.Eof);  // before the first move
  EXPECT_TRUE(table_.Bof);
  EXPECT_EQ(FieldText(table_, 1), "id");  // row 0 is the header
  EXPECT_EQ(FieldText(table_, 2), "name");
  EXPECT_EQ(FieldText(table_, 3), "");
  MoveFirst(table_);
  EXPECT_FALSE(table_.Eof);
  EXPECT_FALSE(table_.Bof);
  EXPECT_EQ(FieldText(table_, 1), "42");
  MoveNext(table_);
  MoveNext(table_);
  EXPECT_FALSE(table_.Eof);
  EXPECT_EQ(FieldText(table_, 2), "c");
  MoveNext(table_);
  EXPECT_TRUE(table_.Eof);
  EXPECT_EQ(FieldText(table_, 1), "");  // past the last row reads nothing
}

TEST_F(ResultTableTest, CellTextsAreSqlitesTextForms) {
  ASSERT_TRUE(QueryTable(handle_, "SELECT id, name, r, b FROM t ORDER BY rowid", table_));
  MoveFirst(table_);
  EXPECT_EQ(FieldText(table_, 1), "42");
  EXPECT_EQ(FieldText(table_, 3), "2.5");
  EXPECT_EQ(FieldText(table_, 4), "A");  // a BLOB up to its first zero byte
  EXPECT_EQ(FieldText(table_, 0), "");
  EXPECT_EQ(FieldText(table_, 5), "");
  MoveNext(table_);
  EXPECT_EQ(FieldText(table_, 2), "");  // empty string
  EXPECT_EQ(FieldText(table_, 3), "");  // NULL reads the same
}

TEST_F(ResultTableTest, QueryWithoutRowsGivesTheTableBackAtOnce) {
  ASSERT_TRUE(QueryTable(handle_, "SELECT id, name FROM t WHERE id > 99", table_));
  EXPECT_EQ(table_.RowCount, 0);
  EXPECT_EQ(table_.Cells, nullptr);
  EXPECT_EQ(FieldText(table_, 1), "");  // no rows: no names
  MoveFirst(table_);
  EXPECT_TRUE(table_.Eof);
  EXPECT_TRUE(table_.Bof);
  ASSERT_TRUE(QueryTable(handle_, "UPDATE t SET id = id", table_));  // statements without rows too
  EXPECT_EQ(table_.RowCount, 0);
}

TEST_F(ResultTableTest, FailureLeavesEmptyStateAndSqlitesMessage) {
  ASSERT_TRUE(QueryTable(handle_, "SELECT id FROM t", table_));
  EXPECT_FALSE(
      QueryTable(handle_, "SELECT * FROM nosuch", table_));  // releases the first result too
  EXPECT_EQ(table_.Cells, nullptr);
  EXPECT_EQ(table_.RowCount, 0);
  EXPECT_EQ(LastErrorText(handle_), "no such table: nosuch");
  EXPECT_FALSE(ExecSql(handle_, "SELEKT 1"));
  EXPECT_EQ(LastErrorText(handle_), "near \"SELEKT\": syntax error");
  EXPECT_TRUE(ExecSql(handle_, ""));  // an empty text runs nothing
}

TEST_F(ResultTableTest, ReleaseIsHarmlessTwiceAndOnAnEmptyRecord) {
  ASSERT_TRUE(QueryTable(handle_, "SELECT id FROM t", table_));
  ReleaseTable(table_);
  ReleaseTable(table_);
  EXPECT_EQ(table_.Cells, nullptr);
  EXPECT_TRUE(table_.Eof && table_.Bof);
  ResultTable never;  // never filled: releasing it leaves the empty state
  ReleaseTable(never);
  EXPECT_TRUE(never.Cells == nullptr && never.RowCount == 0 && never.Eof && never.Bof);
}

TEST_F(ResultTableTest, NoneHandleQueriesNothing) {
  ResultTable table;
  const DbHandle none;
  EXPECT_FALSE(QueryTable(none, "SELECT 1", table));  // SQLite is not called
  EXPECT_FALSE(ExecSql(none, "SELECT 1"));
  EXPECT_EQ(LastErrorText(none), "");
}

TEST_F(ResultTableTest, LongCellTextIsCutAtSixteenMebibytesButWholeOnRequest) {
  ASSERT_TRUE(QueryTable(handle_, "SELECT printf('%.*c', 16777216 + 5, 'x')", table_));
  MoveFirst(table_);
  EXPECT_EQ(FieldText(table_, 1).size(), 16777216u);
  EXPECT_EQ(UnboundedFieldText(table_, 1).size(), 16777221u);
}

}  // namespace
}  // namespace kiv::db
