// OpenDatabase and CloseDatabase: the exact SQL they send, and the names they refuse.
#include "db/database.h"

#include <gtest/gtest.h>

#include "support/sql_trace.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv::db {
namespace {

using Calls = std::vector<std::string>;

class DatabaseTest : public test::TestFolder {};

TEST_F(DatabaseTest, OpenStoresTheCacheSizeOnlyWhereItIsNotStoredYetAndCloseCommits) {
  DbHandle handle;
  for (const Calls &expected :
       {Calls{"open:" + Path("a.db"), "PRAGMA default_cache_size",
              "PRAGMA default_cache_size = 20000", "PRAGMA temp_store = 2", "commit"},
        // Once stored, it is read and not written again.
        Calls{"open:" + Path("a.db"), "PRAGMA default_cache_size", "PRAGMA temp_store = 2",
              "commit"}}) {
    test::SqlTrace trace;
    ASSERT_TRUE(OpenDatabase(Path("a.db"), handle));
    ASSERT_NE(handle.connection, nullptr);
    CloseDatabase(handle, Ending::kCommitIgnoringOutcome);
    EXPECT_EQ(handle.connection, nullptr);
    EXPECT_EQ(trace.Calls(), expected);
  }
  EXPECT_EQ(test::Scalar(Path("a.db"), "PRAGMA default_cache_size"), "20000");
}

TEST_F(DatabaseTest, FailedOpenWithAHandleStillSendsPragmasAndCloses) {
  test::SqlTrace trace;
  DbHandle handle;
  EXPECT_FALSE(OpenDatabase(Path("missing/a.db"), handle));
  ASSERT_NE(handle.connection, nullptr);  // SQLite hands out a connection for the failure
  CloseDatabase(handle, Ending::kCommitIgnoringOutcome);
  EXPECT_EQ(handle.connection, nullptr);
  EXPECT_EQ(trace.Calls().size(), 5u);                    // open, the read, both pragmas, commit
  CloseDatabase(handle, Ending::kCommitIgnoringOutcome);  // none: nothing more is sent
  EXPECT_EQ(trace.Calls().size(), 5u);
}

TEST_F(DatabaseTest, NameOfThreeHundredNinetyNineBytesOpensAndLongerIsRefused) {
  // File names are limited to 255 bytes: build a 399-byte path from folders.
  std::string path = Path("");
  while (path.size() + 101 < 399) {
    path += std::string(100, 'd');
    std::filesystem::create_directory(path);
    path += '/';
  }
  path += std::string(399 - path.size(), 'f');
  ASSERT_EQ(path.size(), 399u);
  DbHandle handle;
  EXPECT_TRUE(OpenDatabase(path, handle));
  CloseDatabase(handle, Ending::kCommitIgnoringOutcome);
  EXPECT_TRUE(test::Exists(path));

  test::SqlTrace trace;
  const std::string longer = path + "x";
  EXPECT_FALSE(OpenDatabase(longer, handle));
  EXPECT_EQ(handle.connection, nullptr);
  EXPECT_TRUE(trace.Calls().empty());  // not opened shortened: nothing is even tried
  EXPECT_FALSE(test::Exists(longer));
}

TEST_F(DatabaseTest, EmptyNameOpensAPrivateTemporaryDatabase) {
  DbHandle handle;
  ASSERT_TRUE(OpenDatabase("", handle));
  EXPECT_TRUE(ExecSql(handle, "CREATE TABLE t(a)"));
  CloseDatabase(handle, Ending::kCommitIgnoringOutcome);
}

TEST_F(DatabaseTest, OpenTransactionIsCommittedByCloseAndRolledBackWhenTheEndingSaysSo) {
  test::RunSql(Path("a.db"), "CREATE TABLE t(a)");
  DbHandle handle;
  ASSERT_TRUE(OpenDatabase(Path("a.db"), handle));
  ASSERT_TRUE(ExecSql(handle, "BEGIN; INSERT INTO t VALUES(1)"));
  CloseDatabase(handle, Ending::kCommitIgnoringOutcome);
  ASSERT_TRUE(OpenDatabase(Path("a.db"), handle));
  ASSERT_TRUE(ExecSql(handle, "BEGIN; INSERT INTO t VALUES(2)"));
  CloseDatabase(handle, Ending::kRollBack);
  EXPECT_EQ(test::Scalar(Path("a.db"), "SELECT group_concat(a) FROM t"), "1");
}

}  // namespace
}  // namespace kiv::db
