// Faults around the database file: locks held elsewhere, a read-only file, a file that
// is not a database, a truncated one, folders and missing folders. Each action answers
// its error text, at once, and leaves the files as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "support/module_host.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

class Faults : public test::TestFolder {
 protected:
  void SetUp() override {
    TestFolder::SetUp();
    db_ = Path("f.db");
    test::Exec(db_,
               "CREATE TABLE t(id INTEGER PRIMARY KEY, img BLOB, n);"
               "INSERT INTO t VALUES(1, x'CAFE', 1); INSERT INTO t VALUES(2, NULL, 2)");
    test::WriteBytes(Path("src.bin"), "source");
    test::WriteBytes(Path("out.bin"), "target");
  }
  // Parameter texts of all four actions on `db`.
  std::vector<std::pair<int, std::string>> AllActions(const std::string &db) {
    return {{1, db + "|INSERT INTO t(n) VALUES(9)|res"},
            {2, db + "|SELECT count(*) FROM t|res"},
            {3, db + "|t|img|1|" + Path("out.bin") + "|res"},
            {4, db + "|t|img|1|" + Path("src.bin") + "|res"}};
  }
  std::string db_;
};

TEST_F(Faults, ExclusiveLockElsewhereFailsEveryActionAtOnceAndChangesNothing) {
  test::Connection other(db_);
  ASSERT_TRUE(other.Exec("BEGIN EXCLUSIVE; UPDATE t SET n = n"));
  const std::string before = test::ReadBytes(db_);
  const std::string expected[5] = {"", "Error: unable to execute Querry",
                                   "Error: database is locked", "BLOB SELECT Error",
                                   "BLOB Update Error"};
  for (const auto &[action, params] : AllActions(db_)) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(test::Answer(action, params), expected[action]) << action;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500)) << action;
  }
  EXPECT_EQ(test::ReadBytes(db_), before);
  EXPECT_EQ(test::ReadBytes(Path("out.bin")), "target");
  ASSERT_TRUE(other.Exec("ROLLBACK"));
  EXPECT_EQ(test::IntegrityCheck(db_), "ok");
}

TEST_F(Faults, WriteLockElsewhereStillLetsReadersRead) {
  test::Connection other(db_);
  ASSERT_TRUE(other.Exec("BEGIN IMMEDIATE; INSERT INTO t(n) VALUES(7)"));
  const std::string before = test::ReadBytes(db_);
  EXPECT_EQ(test::Answer(1, db_ + "|INSERT INTO t(n) VALUES(9)|res"),
            "Error: unable to execute Querry");
  EXPECT_EQ(test::Answer(4, db_ + "|t|img|1|" + Path("src.bin") + "|res"), "BLOB Update Error");
  EXPECT_EQ(test::Answer(2, db_ + "|SELECT count(*) FROM t|res"), "2\r");
  EXPECT_EQ(test::Answer(3, db_ + "|t|img|1|" + Path("out.bin") + "|res"), "Ok");
  EXPECT_EQ(test::ReadBytes(db_), before);
  ASSERT_TRUE(other.Exec("ROLLBACK"));
}

TEST_F(Faults, NotADatabaseAnswersEachActionsErrorAndKeepsItsBytes) {
  const std::string junk = test::RandomBytes(10000, 3);
  test::WriteBytes(Path("junk.db"), junk);
  const std::string expected[5] = {"", "Error: unable to execute Querry",
                                   "Error: file is not a database", "BLOB SELECT Error",
                                   "BLOB Update Error"};
  for (const auto &[action, params] : AllActions(Path("junk.db")))
    EXPECT_EQ(test::Answer(action, params), expected[action]) << action;
  EXPECT_EQ(test::ReadBytes(Path("junk.db")), junk);
  EXPECT_EQ(test::ReadBytes(Path("out.bin")), "target");
}

TEST_F(Faults, TruncatedDatabaseNeverAnswersOkForWhatItCannotRead) {
  test::Exec(db_,
             "CREATE TABLE big(b); WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c "
             "WHERE n < 200)"
             " INSERT INTO big SELECT randomblob(3000) FROM c");
  const std::string whole = test::ReadBytes(db_);
  test::WriteBytes(db_, whole.substr(0, whole.size() / 2));
  const std::string cut = test::ReadBytes(db_);
  const std::string query = test::Answer(2, db_ + "|SELECT count(*), sum(length(b)) FROM big|res");
  EXPECT_EQ(query.rfind("Error: ", 0), 0u) << query;
  EXPECT_EQ(test::Answer(1, db_ + "|DELETE FROM big|res"), "Error: unable to execute Querry");
  // Every open stores the cache-size pragma in the header; the pages stay as they were.
  EXPECT_EQ(test::ReadBytes(db_).substr(100), cut.substr(100));
}

TEST_F(Faults, FoldersAndMissingFoldersAnswerTheOpenErrorAndCreateNothing) {
  std::filesystem::create_directory(Path("folder"));
  for (const std::string &name : {Path("folder"), Path("missing/f.db"), Path("")}) {
    for (const auto &[action, params] : AllActions(name))
      EXPECT_EQ(test::Answer(action, params), "Error: unable to open database") << action << name;
  }
  EXPECT_FALSE(test::Exists(Path("missing")));
  EXPECT_TRUE(std::filesystem::is_empty(Path("folder")));
  EXPECT_EQ(test::ReadBytes(Path("out.bin")), "target");
}

// Runs the four actions in a child without the right to write the database file (as
// user nobody when the tests run as root, who may write any file), and returns their
// answers.
std::vector<std::string> AnswersWithoutWriteRight(
    const std::vector<std::pair<int, std::string>> &actions) {
  test::Module();
  int pipeFds[2];
  EXPECT_EQ(pipe(pipeFds), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    for (const auto &[action, params] : actions) {
      const std::string answer = test::Answer(action, params) + '\n';
      if (write(pipeFds[1], answer.data(), answer.size()) < 0) _exit(4);
    }
    _exit(0);
  }
  close(pipeFds[1]);
  std::string all;
  char buffer[256];
  for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    all.append(buffer, static_cast<std::size_t>(got));
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::vector<std::string> answers;
  for (std::size_t start = 0, end; (end = all.find('\n', start)) != std::string::npos;
       start = end + 1)
    answers.push_back(all.substr(start, end - start));
  return answers;
}

TEST_F(Faults, ReadOnlyDatabaseAnswersReadsAndRefusesWrites) {
  chmod(folder_.c_str(), 0777);
  chmod(Path("src.bin").c_str(), 0644);
  chmod(Path("out.bin").c_str(), 0666);
  chmod(db_.c_str(), 0444);
  const std::string before = test::ReadBytes(db_);
  const std::vector<std::string> answers = AnswersWithoutWriteRight(AllActions(db_));
  EXPECT_EQ(answers, (std::vector<std::string>{"Error: unable to execute Querry", "2\r", "Ok",
                                               "BLOB Update Error"}));
  EXPECT_EQ(test::ReadBytes(db_), before);
  EXPECT_EQ(test::ReadBytes(Path("out.bin")), "\xCA\xFE");
}

}  // namespace
}  // namespace kiv
