// Faults around the database file and the process: locks held elsewhere, a read-only
// file, a file that is not a database, a truncated one, folders and missing folders, a
// full disk, memory refused anywhere. Each action answers its error text, at once, and
// leaves the files as they were.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "host/host_os.h"
#include "support/alloc_faults.h"
#include "support/answers.h"
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
    test::RunSql(db_,
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
  test::RunSql(
      db_,
      "CREATE TABLE big(b); WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c "
      "WHERE n < 200)"
      " INSERT INTO big SELECT randomblob(3000) FROM c");
  const std::string whole = test::ReadBytes(db_);
  test::WriteBytes(db_, whole.substr(0, whole.size() / 2));
  const std::string cut = test::ReadBytes(db_);
  const std::string query = test::Answer(2, db_ + "|SELECT count(*), sum(length(b)) FROM big|res");
  EXPECT_EQ(query.rfind("Error: ", 0), 0u) << query;
  EXPECT_EQ(test::Answer(1, db_ + "|DELETE FROM big|res"), "Error: unable to execute Querry");
  // Only the header may change (an open stores the cache size where it differs); the
  // pages stay as they were.
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

// Runs `actions` in a child process that first calls `prepare` (which returns false when
// it cannot), and returns their answers.
template <typename Prepare>
std::vector<std::string> AnswersInChild(const std::vector<std::pair<int, std::string>> &actions,
                                        Prepare prepare) {
  test::Module();
  int pipeFds[2];
  EXPECT_EQ(pipe(pipeFds), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    if (!prepare()) _exit(3);
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
  // Without the right to write the file: as user nobody when the tests run as root, who
  // may write any file.
  const std::vector<std::string> answers = AnswersInChild(
      AllActions(db_), [] { return getuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0); });
  EXPECT_EQ(answers, (std::vector<std::string>{"Error: unable to execute Querry", "2\r", "Ok",
                                               "BLOB Update Error"}));
  EXPECT_EQ(test::ReadBytes(db_), before);
  EXPECT_EQ(test::ReadBytes(Path("out.bin")), "\xCA\xFE");
}

TEST_F(Faults, FullDiskLeavesTheTargetWholeAndNoHalfWrittenNewFile) {
  // The file size limit stands in for a full disk: no write may make a file longer.
  test::RunSql(db_, "UPDATE t SET img = randomblob(20000) WHERE id = 1");
  const std::string old = test::RandomBytes(500, 9);
  test::WriteBytes(Path("old.bin"), old);
  const std::string get = db_ + "|t|img|1|";
  const std::vector<std::string> answers =
      AnswersInChild({{3, get + Path("old.bin") + "|r"},
                      {3, get + Path("new.bin") + "|r"},
                      {3, db_ + "|t|n|1|" + Path("small.bin") + "|r"}},
                     [] {
                       signal(SIGXFSZ, SIG_IGN);  // a refused write answers EFBIG instead
                       const rlimit limit{10240, 10240};
                       return setrlimit(RLIMIT_FSIZE, &limit) == 0;
                     });
  EXPECT_EQ(answers, (std::vector<std::string>{"Error: unable to write file",
                                               "Error: unable to write file", "Ok"}));
  EXPECT_TRUE(test::ReadBytes(Path("old.bin")) == old);
  EXPECT_FALSE(test::Exists(Path("new.bin")));
  EXPECT_EQ(test::ReadBytes(Path("small.bin")), "1");
}

// The hand-backs of the out-of-memory tests, kept without allocating anything.
int handBacks = 0;
char lastAnswer[64];
std::size_t lastAnswerSize = 0;

int32_t KIV_CALL KeepHandBack(const char *, const char *value) {
  ++handBacks;
  lastAnswerSize = value != nullptr ? std::strlen(value) : 0;
  std::snprintf(lastAnswer, sizeof lastAnswer, "%s", value != nullptr ? value : "");
  return 1;
}

int32_t KIV_CALL IgnoreAction(int32_t, const char *, const char *, const char *, int32_t, int32_t) {
  return 1;
}

// Every failure to get memory ends in an answer: allocations are refused by the test
// process's own allocator (support/alloc_faults.cpp), in the module and in SQLite alike.
class OutOfMemory : public Faults {
 protected:
  void SetUp() override {
    if (!test::alloc::Available()) GTEST_SKIP() << "sanitizer builds keep their own allocator";
    Faults::SetUp();
    test::Module().qvRegisterPlugIn(&IgnoreAction, 0, 0, &KeepHandBack);
  }
  void TearDown() override {
    if (!test::alloc::Available()) return;
    test::alloc::Disarm();
    test::Module().qvRegisterPlugIn(&host::RecordAction, 0, 0, &host::RecordVariable);
    Faults::TearDown();
  }
  // Runs one action with the allocator armed as `arm` says; returns whether a refusal
  // happened. Fails the test unless the action handed exactly one answer back and freed
  // every block it took.
  template <typename Arm>
  bool RunArmed(int action, const std::string &params, Arm arm) {
    handBacks = 0;
    lastAnswerSize = 0;
    const long live = test::alloc::Live();
    arm();
    test::RunAction(action, params);
    const bool fired = test::alloc::Disarm();
    EXPECT_EQ(handBacks, 1) << params.substr(0, 60);
    EXPECT_EQ(test::alloc::Live(), live) << "blocks leaked by " << params.substr(0, 60);
    return fired;
  }
  std::string Answer() const { return std::string(lastAnswer); }
};

TEST_F(OutOfMemory, EachRefusedAllocationAlongEveryPathEndsInOneAllowedAnswer) {
  const std::string before = test::ReadBytes(db_);
  const std::string src = test::RandomBytes(3000, 5);
  test::WriteBytes(Path("src.bin"), src);
  struct Case {
    int action;
    std::string params;
    std::string success;  // the answer when it runs; "": it can only fail
  };
  const std::vector<Case> cases = {
      {1, db_ + "|INSERT INTO t(n) VALUES(9)|r", "Ok"},
      {1, db_ + "|BEGIN; INSERT INTO t(n) VALUES(9); INSERT INTO nosuch VALUES(1)|r", ""},
      {2, db_ + "|SELECT count(*), max(n) FROM t|r", "2|2\r"},
      {2, db_ + "|SELECT * FROM nosuch|r", ""},
      {3, db_ + "|t|img|1|" + Path("out.bin") + "|r", "Ok"},
      {4, db_ + "|t|img|2|" + Path("src.bin") + "|r", "Ok"}};
  for (const Case &c : cases) {
    long n = 1;
    for (;; ++n) {
      test::WriteBytes(db_, before);
      std::filesystem::remove(db_ + "-journal");
      test::WriteBytes(Path("out.bin"), "target");
      const bool fired = RunArmed(c.action, c.params, [n] { test::alloc::FailNth(n); });
      const std::string answer = Answer();
      EXPECT_TRUE(answer == c.success || test::IsErrorAnswer(c.action, answer))
          << "allocation " << n << " refused: " << c.params << " answered " << answer;
      // The file is whole. "Ok" means the change is stored; an error answer means the
      // script's own transaction is not, while a statement that ran in SQLite's automatic
      // transaction may have kept its effect (memory can run out after it committed).
      ASSERT_EQ(test::IntegrityCheck(db_), "ok") << "allocation " << n << ": " << c.params;
      const bool ok = answer == "Ok";
      SCOPED_TRACE("allocation " + std::to_string(n) + " refused, answer " + answer);
      const std::string inserted =
          test::Scalar(db_, "SELECT count(*) FROM t WHERE n = 9").value_or("");
      const std::string stored =
          test::Scalar(db_, "SELECT img IS NOT NULL FROM t WHERE id = 2").value_or("");
      const bool inTransaction = c.params.find("BEGIN") != std::string::npos;
      if (c.action == 1 && ok) {
        EXPECT_EQ(inserted, "1");
      } else if (c.action != 1 || inTransaction) {
        EXPECT_EQ(inserted, "0");
      }
      if (c.action == 4 && ok) {
        EXPECT_EQ(stored, "1");
      } else if (c.action != 4) {
        EXPECT_EQ(stored, "0");
      }
      EXPECT_EQ(test::ReadBytes(Path("out.bin")), c.action == 3 && ok ? "\xCA\xFE" : "target");
      if (!fired) break;  // the action made fewer than n allocations: each one was refused once
      ASSERT_LT(n, 20000);
    }
    RecordProperty("allocations_of_action_" + std::to_string(c.action), static_cast<int>(n - 1));
    EXPECT_GT(n, 10) << c.params;
  }
}

TEST_F(OutOfMemory, RegistrationAndIdentityTextsSurviveEveryRefusal) {
  const auto &api = test::Module();
  for (long n = 1;; ++n) {
    const long live = test::alloc::Live();
    HostTextSlot slots[3] = {0, 0, 0};
    test::alloc::FailNth(n);
    api.qvRegisterPlugIn(&IgnoreAction, 0, 0, &KeepHandBack);
    api.qvInitPlugIn(0, &slots[0], &slots[1], &slots[2]);
    const bool fired = test::alloc::Disarm();
    const char *texts[3] = {"KivSQLite 3 1.0", "KivSQLite3 developers", "Sqlite Database Handler"};
    for (int i = 0; i < 3; ++i) {  // each slot holds its text, or 0 where memory was refused
      if (slots[i] != 0) {
        EXPECT_STREQ(reinterpret_cast<const char *>(slots[i]), texts[i]);
      }
      host::FreeHostBlock(reinterpret_cast<void *>(slots[i]));
    }
    EXPECT_EQ(test::alloc::Live(), live);
    if (!fired) break;
  }
}

TEST_F(OutOfMemory, LargeAllocationsRefusedEndInAnswersAndTheModuleKeepsWorking) {
  const std::size_t kRefused = 4u << 20;  // allocations of 4 MiB and more
  const std::string big(10u << 20, 'x');  // a 10 MiB parameter text
  test::RunSql(db_,
               "CREATE TABLE cell(v); INSERT INTO cell VALUES(printf('%.*c', 5000000, 'c'));"
               "CREATE TABLE two(v); INSERT INTO two VALUES(printf('%.*c', 2200000, 'a')),"
               "(printf('%.*c', 1000000, 'b'));"
               "UPDATE t SET img = randomblob(3145728) WHERE id = 1");
  test::WriteBytes(Path("src.bin"), test::RandomBytes(3u << 20, 2));
  const std::string img = test::Scalar(db_, "SELECT hex(img) FROM t WHERE id = 1").value_or("");
  const std::pair<std::string, std::string> cases[] = {
      {"1|" + db_ + "|SELECT '" + big + "'|r", "Error: unable to execute Querry"},
      {"2|" + db_ + "|SELECT '" + big + "'|r", "Error: out of memory"},
      {"3|" + db_ + "|t" + big + "|img|1|" + Path("out.bin") + "|r", "BLOB SELECT Error"},
      {"4|" + db_ + "|t" + big + "|img|1|" + Path("src.bin") + "|r", "BLOB Update Error"},
      {"2|" + db_ + "|SELECT v FROM cell|r", "Error: out of memory"},             // a 5 MB cell
      {"3|" + db_ + "|t|img|1|" + Path("out.bin") + "|r", "BLOB SELECT Error"},   // 3 MiB get
      {"4|" + db_ + "|t|img|1|" + Path("src.bin") + "|r", "BLOB Update Error"}};  // 3 MiB put
  for (const auto &[text, expected] : cases) {
    const int action = text[0] - '0';
    EXPECT_TRUE(RunArmed(action, text.substr(2), [&] { test::alloc::FailFrom(kRefused); }));
    EXPECT_EQ(Answer(), expected) << text.substr(0, 80);
  }
  EXPECT_EQ(test::ReadBytes(Path("out.bin")), "target");
  EXPECT_EQ(test::Scalar(db_, "SELECT hex(img) FROM t WHERE id = 1"), img);
  // A record set whose doubled room is refused takes the room it needs exactly.
  EXPECT_TRUE(RunArmed(2, db_ + "|SELECT v FROM two ORDER BY rowid|r",
                       [&] { test::alloc::FailFrom(kRefused); }));
  EXPECT_EQ(lastAnswerSize, 3200002u) << Answer();
  // Memory back, the same actions work.
  EXPECT_FALSE(RunArmed(4, db_ + "|t|img|1|" + Path("src.bin") + "|r", [] {}));
  EXPECT_EQ(Answer(), "Ok");
  EXPECT_FALSE(RunArmed(3, db_ + "|t|img|1|" + Path("out.bin") + "|r", [] {}));
  EXPECT_EQ(Answer(), "Ok");
  EXPECT_TRUE(test::ReadBytes(Path("out.bin")) == test::ReadBytes(Path("src.bin")));
  EXPECT_EQ(test::IntegrityCheck(db_), "ok");
}

}  // namespace
}  // namespace kiv
