// Action 2 end to end: the record-set text byte for byte, checked against the sqlite3
// shell in list mode ("|" between cells, CR after each row), and every answer text.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "support/module_host.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

class QueryAction : public test::TestFolder {
 protected:
  void SetUp() override {
    TestFolder::SetUp();
    test::RunSql(Path("test.db"),
                 "CREATE TABLE t(id INTEGER, name TEXT, note TEXT);"
                 "INSERT INTO t VALUES(1, 'ab', NULL);"
                 "INSERT INTO t VALUES(2, 'p|q', '');"
                 "INSERT INTO t VALUES(3, NULL, 'x');");
  }
  std::string Query(const std::string &sql, const std::string &db = "test.db") {
    return test::Answer(2, Path(db) + "|" + sql + "|res");
  }
  // What the sqlite3 shell prints for `sql` in list mode with "|" and CR.
  std::string Shell(const std::string &sql) {
    test::WriteBytes(Path("shell.sql"),
                     ".mode list --escape off\n.separator \"|\" \"\\r\"\n" + sql + ";\n");
    const std::string command = std::string(SQLITE3_SHELL) + " -batch '" + Path("test.db") +
                                "' < '" + Path("shell.sql") + "'";
    std::string out;
    FILE *pipe = popen(command.c_str(), "r");
    char buffer[65536];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      out.append(buffer, got);
    EXPECT_EQ(pclose(pipe), 0) << sql;
    return out;
  }
};

TEST_F(QueryAction, NullAndEmptyCellsAndABarInAValueGiveEighteenBytes) {
  const std::string text = Query("SELECT id, name, note FROM t ORDER BY id");
  EXPECT_EQ(text, "1|ab|\r2|p|q|\r3||x\r");
  EXPECT_EQ(text.size(), 18u);
  EXPECT_EQ(Query("SELECT count(*) FROM t"), "3\r");
  EXPECT_EQ(Query("SELECT id, name, note FROM t WHERE id > 9"), "");
}

TEST_F(QueryAction, EngineIsThePinnedSqliteWithTheWindowsBuildsFeatures) {
  EXPECT_EQ(Query("SELECT sqrt(16), sqlite_version()"), "4.0|" SQLITE_VERSION "\r");
  EXPECT_EQ(Shell("SELECT sqlite_version()"), SQLITE_VERSION "\r");  // the oracle is the same
  const std::string options =
      Query("SELECT group_concat(compile_options, ' ') FROM pragma_compile_options");
  EXPECT_EQ(test::MissingFeatureOptions(options), std::vector<std::string>()) << options;
  EXPECT_EQ(Query("CREATE VIRTUAL TABLE f USING fts5(a); INSERT INTO f VALUES('kiv sqlite');"
                  "SELECT count(*) FROM f WHERE f MATCH 'sqlite'"),
            "1\r");
}

TEST_F(QueryAction, StatementsWithoutRowsRunAndGiveNothing) {
  EXPECT_EQ(Query("INSERT INTO t VALUES(4, 'd', 'e')"), "");
  EXPECT_EQ(Query("CREATE TABLE u(a)"), "");
  EXPECT_EQ(test::Scalar(Path("test.db"), "SELECT count(*) FROM t"), "4");
}

TEST_F(QueryAction, RecordSetEqualsTheShellsListOutput) {
  test::RunSql(
      Path("test.db"),
      "CREATE TABLE v(i INTEGER, r REAL, s TEXT, b BLOB);"
      "INSERT INTO v VALUES(-9223372036854775808, 0.1, 'a|b', x'00414243');"
      "INSERT INTO v VALUES(9223372036854775807, 1e300, 'line' || char(13) || 'x', x'41420043');"
      "INSERT INTO v VALUES(0, -2.5, '', x'');"
      "INSERT INTO v VALUES(NULL, 3.0, 'caf' || char(233), NULL);"
      "INSERT INTO v VALUES(7, 1.0/3, 'tab' || char(9) || 'nl' || char(10), x'ff80');");
  const char *queries[] = {
      "SELECT * FROM v",
      "SELECT i FROM v",
      "SELECT r, r * 2, i / 3 FROM v",
      "SELECT s, b, length(b) FROM v",
      "SELECT 1, 'one'; SELECT 2, 'two'; SELECT i, s FROM v",  // several statements
      "SELECT * FROM v WHERE 0",
      "SELECT NULL, '', NULL",
      "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 100000) "
      "SELECT n, n * 1.5, printf('row %d%sx', n, char(124)), NULL FROM c",
  };
  for (const char *sql : queries) EXPECT_EQ(Query(sql), Shell(sql)) << sql;
}

TEST_F(QueryAction, ErrorsCarrySqlitesMessage) {
  EXPECT_EQ(Query("SELECT * FROM nosuch"), "Error: no such table: nosuch");
  EXPECT_EQ(Query("SELEKT 1"), "Error: near \"SELEKT\": syntax error");
  EXPECT_EQ(Query("SELECT nocolumn FROM t"), "Error: no such column: nocolumn");
  // A message's line breaks at its end are dropped: only a record set ends in a CR.
  EXPECT_EQ(Query("SELECT * FROM \"x\r\n\""), "Error: no such table: x");
  const std::string mixed = Query("SELECT 1; SELECT 1, 2");
  EXPECT_EQ(mixed.rfind("Error: ", 0), 0u) << mixed;
}

TEST_F(QueryAction, OpenFailuresAnswerTheOpenError) {
  std::filesystem::create_directory(Path("folder"));
  EXPECT_EQ(Query("SELECT 1", "missing/x.db"), "Error: unable to open database");
  EXPECT_EQ(Query("SELECT 1", "folder"), "Error: unable to open database");
}

TEST_F(QueryAction, NotADatabaseAnswersSqlitesMessage) {
  test::WriteBytes(Path("junk.db"), std::string(4096, 'j'));
  EXPECT_EQ(Query("SELECT 1 FROM sqlite_master", "junk.db"), "Error: file is not a database");
  EXPECT_EQ(test::ReadBytes(Path("junk.db")), std::string(4096, 'j'));
}

TEST_F(QueryAction, QueryOfAFileThatHoldsTheCacheSizeWritesNothing) {
  test::RunSql(Path("test.db"), "PRAGMA default_cache_size = 20000");
  const std::string before = test::ReadBytes(Path("test.db"));
  struct stat old {};
  ASSERT_EQ(stat(Path("test.db").c_str(), &old), 0);
  // A write would need the rollback journal: watch the folder for its creation.
  const int watch = inotify_init1(IN_NONBLOCK);
  ASSERT_GE(inotify_add_watch(watch, folder_.c_str(), IN_CREATE), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Query("SELECT count(*) FROM t"), "3\r");
  char events[4096];
  EXPECT_LE(read(watch, events, sizeof events), 0) << "a file was created: a write transaction";
  close(watch);
  struct stat now {};
  ASSERT_EQ(stat(Path("test.db").c_str(), &now), 0);
  EXPECT_EQ(now.st_mtim.tv_sec, old.st_mtim.tv_sec);
  EXPECT_EQ(now.st_mtim.tv_nsec, old.st_mtim.tv_nsec);
  EXPECT_TRUE(test::ReadBytes(Path("test.db")) == before);
}

TEST_F(QueryAction, ExclusiveLockElsewhereAnswersAtOnce) {
  test::Connection other(Path("test.db"));
  ASSERT_TRUE(other.Exec("BEGIN EXCLUSIVE; DELETE FROM t"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Query("SELECT count(*) FROM t"), "Error: database is locked");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ASSERT_TRUE(other.Exec("ROLLBACK"));
  EXPECT_EQ(Query("SELECT count(*) FROM t"), "3\r");
}

TEST_F(QueryAction, FailureInsideTheScriptsTransactionIsRolledBack) {
  EXPECT_EQ(Query("BEGIN; DELETE FROM t; SELECT * FROM nosuch"), "Error: no such table: nosuch");
  EXPECT_EQ(Query("SELECT count(*) FROM t"), "3\r");
  EXPECT_EQ(Query("BEGIN; DELETE FROM t WHERE id = 1"), "");  // left open, committed on close
  EXPECT_EQ(Query("SELECT count(*) FROM t"), "2\r");
}

TEST_F(QueryAction, CellsLongerThanSixteenMebibytesAreCut) {
  const std::string text = Query("SELECT printf('%.*c', 16777216 + 10, 'z'), 'end'");
  EXPECT_EQ(text.size(), 16777216u + 5);
  EXPECT_EQ(text.substr(text.size() - 5), "|end\r");
}

}  // namespace
}  // namespace kiv
