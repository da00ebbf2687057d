// Action 1 end to end through the module: every answer text, transactions, locks.
#include <gtest/gtest.h>

#include <chrono>

#include "support/module_host.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

constexpr char kOk[] = "Ok";
constexpr char kOpenFailed[] = "Error: unable to open database";
constexpr char kFailed[] = "Error: unable to execute Querry";

class CommandAction : public test::TestFolder {
 protected:
  std::string Run(const std::string &db, const std::string &sql) {
    return test::Answer(1, Path(db) + "|" + sql + "|res");
  }
  std::string Rows(const std::string &sql) {
    return test::Scalar(Path("a.db"), sql).value_or("(null)");
  }
};

TEST_F(CommandAction, CreatesTheFileAndTheTableThenRefusesTheSecondCreate) {
  EXPECT_EQ(Run("new.db", "CREATE TABLE t(a)"), kOk);
  EXPECT_TRUE(test::Exists(Path("new.db")));
  EXPECT_EQ(Run("new.db", "CREATE TABLE t(a)"), kFailed);
}

TEST_F(CommandAction, SeveralStatementsRunInOrderAndAQueryIsJustRun) {
  EXPECT_EQ(Run("a.db", "CREATE TABLE t(a); INSERT INTO t VALUES(1); INSERT INTO t VALUES(2)"),
            kOk);
  EXPECT_EQ(Run("a.db", "SELECT * FROM t"), kOk);
  EXPECT_EQ(Run("a.db", ""), kOk);  // an empty SQL text runs nothing
  EXPECT_EQ(Rows("SELECT group_concat(a) FROM t"), "1,2");
}

TEST_F(CommandAction, TransactionLeftOpenBySucceedingSqlIsCommitted) {
  test::RunSql(Path("a.db"), "CREATE TABLE t(a)");
  EXPECT_EQ(Run("a.db", "BEGIN; INSERT INTO t VALUES(1);"), kOk);
  EXPECT_EQ(Rows("SELECT group_concat(a) FROM t"), "1");
}

TEST_F(CommandAction, FailureInsideTheScriptsTransactionLeavesNothingBehind) {
  test::RunSql(Path("a.db"), "CREATE TABLE t(a); INSERT INTO t VALUES(1)");
  EXPECT_EQ(Run("a.db", "BEGIN; INSERT INTO t VALUES(2); INSERT INTO nosuch VALUES(3)"), kFailed);
  EXPECT_EQ(Rows("SELECT group_concat(a) FROM t"), "1");
  EXPECT_EQ(test::IntegrityCheck(Path("a.db")), "ok");
}

TEST_F(CommandAction, CommitSqliteRefusesIsAnErrorAndKeepsNothingOfTheTransaction) {
  test::RunSql(Path("a.db"),
               "CREATE TABLE t(a); CREATE TABLE parent(id INTEGER PRIMARY KEY);"
               "CREATE TABLE child(p REFERENCES parent(id) DEFERRABLE INITIALLY DEFERRED)");
  {
    test::Connection reader(Path("a.db"));  // holds a read transaction: no commit can finish
    ASSERT_TRUE(reader.Exec("BEGIN; SELECT count(*) FROM t"));
    EXPECT_EQ(Run("a.db", "BEGIN; INSERT INTO t VALUES(3)"), kFailed);
    EXPECT_EQ(test::Answer(2, Path("a.db") + "|BEGIN; INSERT INTO t VALUES(4)|r"),
              "Error: database is locked");
    ASSERT_TRUE(reader.Exec("COMMIT"));
  }
  const std::string orphan = "PRAGMA foreign_keys = ON; BEGIN; INSERT INTO child VALUES(99)";
  EXPECT_EQ(Run("a.db", orphan), kFailed);  // the deferred constraint refuses the commit
  EXPECT_EQ(test::Answer(2, Path("a.db") + "|" + orphan + "|r"),
            "Error: FOREIGN KEY constraint failed");
  EXPECT_EQ(Rows("SELECT (SELECT count(*) FROM t) || (SELECT count(*) FROM child)"), "00");
  // The plain cases answer as before: nothing left open, and a transaction that commits.
  EXPECT_EQ(Run("a.db", "INSERT INTO t VALUES(1)"), kOk);
  EXPECT_EQ(Run("a.db", "BEGIN; INSERT INTO t VALUES(2)"), kOk);
  EXPECT_EQ(test::Answer(2, Path("a.db") + "|BEGIN; INSERT INTO t VALUES(5)|r"), "");
  EXPECT_EQ(Rows("SELECT group_concat(a) FROM t"), "1,2,5");
}

TEST_F(CommandAction, StatementsBeforeAFailureOutsideATransactionKeepTheirEffect) {
  test::RunSql(Path("a.db"), "CREATE TABLE t(a UNIQUE)");
  EXPECT_EQ(Run("a.db", "INSERT INTO t VALUES(1); INSERT INTO t VALUES(1)"), kFailed);
  EXPECT_EQ(Run("a.db", "BEGIN; INSERT INTO t VALUES(5); COMMIT; INSERT INTO t VALUES(1)"),
            kFailed);
  EXPECT_EQ(Rows("SELECT group_concat(a) FROM t"), "1,5");
}

TEST_F(CommandAction, NamesThatCannotBeOpenedAnswerTheOpenError) {
  std::filesystem::create_directory(Path("folder"));
  EXPECT_EQ(Run("missing/a.db", "CREATE TABLE t(a)"), kOpenFailed);
  EXPECT_FALSE(test::Exists(Path("missing")));
  EXPECT_EQ(Run("folder", "CREATE TABLE t(a)"), kOpenFailed);
  EXPECT_EQ(test::Answer(1, Path(std::string(200, 'n')) + std::string(250, 'm') + "|SELECT 1|res"),
            kOpenFailed);  // over 399 bytes: never opened shortened
}

TEST_F(CommandAction, FileThatIsNotADatabaseFailsAndKeepsItsBytes) {
  const std::string junk(5000, 'j');
  test::WriteBytes(Path("junk.db"), junk);
  EXPECT_EQ(Run("junk.db", "CREATE TABLE t(a)"), kFailed);
  EXPECT_EQ(test::ReadBytes(Path("junk.db")), junk);
}

TEST_F(CommandAction, LockedDatabaseAnswersAtOnceAndChangesNothing) {
  test::RunSql(Path("a.db"), "CREATE TABLE t(a)");
  test::Connection other(Path("a.db"));
  ASSERT_TRUE(other.Exec("BEGIN IMMEDIATE; INSERT INTO t VALUES(7)"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run("a.db", "INSERT INTO t VALUES(1)"), kFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ASSERT_TRUE(other.Exec("ROLLBACK"));
  EXPECT_EQ(Rows("SELECT count(*) FROM t"), "0");
}

TEST_F(CommandAction, ExtensionsCannotBeLoadedThroughSql) {
  EXPECT_EQ(Run("a.db", "SELECT load_extension('libc.so.6')"), kFailed);
  EXPECT_EQ(test::Answer(2, Path("a.db") + "|SELECT load_extension('libc.so.6')|res"),
            "Error: not authorized");
}

TEST_F(CommandAction, EmptyDatabaseNameRunsInAPrivateTemporaryDatabase) {
  EXPECT_EQ(test::Answer(1, "|CREATE TABLE t(a); INSERT INTO t VALUES(1)|res"), kOk);
  EXPECT_EQ(test::Answer(2, "|SELECT count(*) FROM sqlite_master|res"), "0\r");
}

}  // namespace
}  // namespace kiv
