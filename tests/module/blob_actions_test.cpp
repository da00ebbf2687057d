// Actions 3 and 4 end to end: round trips of any size, the sqlite3 shell's own BLOB
// functions as a cross-check, and every answer text with files and columns unchanged.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "support/module_host.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

constexpr char kOk[] = "Ok";

class BlobActions : public test::TestFolder {
 protected:
  void SetUp() override {
    TestFolder::SetUp();
    db_ = Path("b.db");
    test::RunSql(
        db_,
        "CREATE TABLE pics(id INTEGER PRIMARY KEY, img BLOB, note TEXT);"
        "INSERT INTO pics VALUES(1, x'CAFE', 'n'); INSERT INTO pics VALUES(5, NULL, NULL);");
  }
  std::string Put(const std::string &rowId, const std::string &source,
                  const std::string &table = "pics", const std::string &column = "img") {
    return test::Answer(4, db_ + "|" + table + "|" + column + "|" + rowId + "|" + source + "|res");
  }
  std::string Get(const std::string &rowId, const std::string &target,
                  const std::string &table = "pics", const std::string &column = "img") {
    return test::Answer(3, db_ + "|" + table + "|" + column + "|" + rowId + "|" + target + "|res");
  }
  std::optional<std::string> Img(int id) {
    return test::Scalar(db_, "SELECT img FROM pics WHERE id = " + std::to_string(id));
  }
  std::string Shell(const std::string &sql) {
    const std::string command = std::string(SQLITE3_SHELL) + " '" + db_ + "' \"" + sql + "\"";
    return std::system(command.c_str()) == 0 ? "" : "shell failed";
  }

  std::string db_;
};

TEST_F(BlobActions, FilesOfEverySizeRoundTripByteForByte) {
  for (std::size_t n : {0u, 1u, 255u, 4096u, 1000003u, 20u << 20}) {
    const std::string data = test::RandomBytes(n, static_cast<unsigned>(n) + 1);
    test::WriteBytes(Path("in"), data);
    ASSERT_EQ(Put("1", Path("in")), kOk) << n;
    ASSERT_EQ(Get("1", Path("out")), kOk) << n;
    EXPECT_TRUE(test::ReadBytes(Path("out")) == data) << "round trip of " << n << " bytes";
  }
  EXPECT_EQ(test::Scalar(db_, "SELECT typeof(img) || length(img) FROM pics WHERE id = 1"),
            "blob" + std::to_string(20u << 20));
}

TEST_F(BlobActions, EmptyFileStoresAnEmptyBlobNotNull) {
  test::WriteBytes(Path("empty"), "");
  EXPECT_EQ(Put("5", Path("empty")), kOk);
  EXPECT_EQ(test::Scalar(db_, "SELECT typeof(img) FROM pics WHERE id = 5"), "blob");
}

TEST_F(BlobActions, AgreesWithTheShellsReadfileAndWritefile) {
  const std::string data = test::RandomBytes(300000, 42);
  test::WriteBytes(Path("in"), data);
  ASSERT_EQ(Shell("UPDATE pics SET img = readfile('" + Path("in") + "') WHERE id = 1"), "");
  ASSERT_EQ(Get("1", Path("via-module")), kOk);
  EXPECT_TRUE(test::ReadBytes(Path("via-module")) == data);

  ASSERT_EQ(Put("5", Path("in")), kOk);
  ASSERT_EQ(Shell("SELECT writefile('" + Path("via-shell") + "', img) FROM pics WHERE id = 5"), "");
  EXPECT_TRUE(test::ReadBytes(Path("via-shell")) == data);
}

TEST_F(BlobActions, GetCreatesAMissingFileAndCutsALongerOne) {
  ASSERT_EQ(Get("1", Path("new")), kOk);
  EXPECT_EQ(test::ReadBytes(Path("new")), "\xCA\xFE");
  test::WriteBytes(Path("old"), "a much longer old content");
  ASSERT_EQ(Get("1", Path("old")), kOk);
  EXPECT_EQ(test::ReadBytes(Path("old")), "\xCA\xFE");
}

TEST_F(BlobActions, GetWritesNonBlobValuesAsTheirBytes) {
  test::RunSql(db_,
               "INSERT INTO pics VALUES(7, 'it''s text', NULL);"
               "INSERT INTO pics VALUES(8, 42, NULL); INSERT INTO pics VALUES(9, -2.5, NULL);"
               "INSERT INTO pics VALUES(10, 'a' || char(0) || 'b', NULL)");
  const std::pair<int, std::string> cases[] = {
      {7, "it's text"}, {8, "42"}, {9, "-2.5"}, {5, ""} /* NULL */, {99, ""} /* no row */};
  for (const auto &[id, bytes] : cases) {
    test::WriteBytes(Path("out"), "previous");
    ASSERT_EQ(Get(std::to_string(id), Path("out")), kOk) << id;
    EXPECT_EQ(test::ReadBytes(Path("out")), bytes) << id;
  }
  ASSERT_EQ(Get("10", Path("out")), kOk);
  EXPECT_EQ(test::ReadBytes(Path("out")), std::string("a\0b", 3));
}

TEST_F(BlobActions, RowIdsAreReadAsNumbers) {
  test::RunSql(
      db_,
      "INSERT INTO pics VALUES(4294967296, x'01', NULL);"
      "INSERT INTO pics VALUES(-4, x'02', NULL); INSERT INTO pics VALUES(16, x'03', NULL)");
  const std::pair<std::string, std::string> cases[] = {
      {"4294967296", "\x01"}, {"-4", "\x02"}, {"&H10", "\x03"}, {" 1 ", "\xCA\xFE"},
      {"1.4", "\xCA\xFE"},    {"abc", ""},    {"", ""}};
  for (const auto &[rowId, bytes] : cases) {
    ASSERT_EQ(Get(rowId, Path("out")), kOk) << rowId;
    EXPECT_EQ(test::ReadBytes(Path("out")), bytes) << rowId;
  }
}

TEST_F(BlobActions, GetErrorsLeaveTheTargetFileAsItWas) {
  test::WriteBytes(Path("keep"), "keep");
  EXPECT_EQ(Get("1", Path("keep"), "nosuch"), "BLOB SELECT Error");
  EXPECT_EQ(Get("1", Path("keep"), "pics", "nocolumn"), "BLOB SELECT Error");
  EXPECT_EQ(Get("1", Path("keep"), "pi]cs"), "BLOB SELECT Error");
  EXPECT_EQ(Get("1", Path("keep"), "pics", "img]) FROM pics; --"), "BLOB SELECT Error");
  EXPECT_EQ(Get("9223372036854775808", Path("keep")), "BLOB SELECT Error");
  EXPECT_EQ(test::ReadBytes(Path("keep")), "keep");
  EXPECT_EQ(Get("1", Path("nothing"), "nosuch"), "BLOB SELECT Error");
  EXPECT_FALSE(test::Exists(Path("nothing")));
  EXPECT_EQ(test::Answer(3, Path("missing/b.db") + "|pics|img|1|" + Path("nothing") + "|res"),
            "Error: unable to open database");
  EXPECT_FALSE(test::Exists(Path("nothing")));
}

TEST_F(BlobActions, UnwritableTargetsAnswerWriteErrorAndKeepTheirContent) {
  test::WriteBytes(Path("ro"), "read-only content");
  chmod(Path("ro").c_str(), 0444);
  EXPECT_EQ(Get("1", Path("ro")), "Error: unable to write file");
  EXPECT_EQ(test::ReadBytes(Path("ro")), "read-only content");

  test::WriteBytes(Path("held"), "held content");
  const int holder = open(Path("held").c_str(), O_RDWR);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);  // another opener holds it without sharing
  EXPECT_EQ(Get("1", Path("held")), "Error: unable to write file");
  close(holder);
  EXPECT_EQ(test::ReadBytes(Path("held")), "held content");

  std::filesystem::create_directory(Path("dir"));
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0666), 0);  // refused before it is opened
  for (const std::string &target : {Path("dir"), Path("fifo"), Path("missing/out"), std::string()})
    EXPECT_EQ(Get("1", target), "Error: unable to write file") << target;
}

TEST_F(BlobActions, PutErrorsLeaveTheColumnAsItWas) {
  test::WriteBytes(Path("in"), "new bytes");
  EXPECT_EQ(Put("1", Path("in"), "nosuch"), "BLOB Update Error");
  EXPECT_EQ(Put("1", Path("in"), "pics", "nocolumn"), "BLOB Update Error");
  EXPECT_EQ(Put("1", Path("in"), "pics", "img]=x'00', [note"), "BLOB Update Error");
  EXPECT_EQ(Put("-9223372036854775809", Path("in")), "BLOB Update Error");
  EXPECT_EQ(Put("1", Path("missing")), "Error: unable to read file");
  std::filesystem::create_directory(Path("dir"));
  EXPECT_EQ(Put("1", Path("dir")), "Error: unable to read file");
  EXPECT_EQ(Put("1", ""), "Error: unable to read file");
  // Bytes past those read: a file whose size reads 0, as one that grew while read.
  EXPECT_EQ(Put("1", "/proc/self/status"), "Error: unable to read file");
  EXPECT_FALSE(test::Exists(Path("missing")));
  EXPECT_EQ(Img(1), "\xCA\xFE");
  EXPECT_EQ(test::Answer(4, Path("missing/b.db") + "|pics|img|1|" + Path("in") + "|res"),
            "Error: unable to open database");
}

// The POSIX locks this process holds, as /proc/locks lists them.
int LocksHeldHere() {
  std::ifstream locks("/proc/locks");
  const std::string pid = " " + std::to_string(getpid()) + " ";
  int held = 0;
  for (std::string line; std::getline(locks, line);) held += line.find(pid) != std::string::npos;
  return held;
}

TEST_F(BlobActions, TheDatabasesOwnFilesAreRefusedUnderAnyNameAndItsLocksSurvive) {
  // The folder reached by a second path (a bind mount, in a mount namespace of a child's
  // own, forked while no connection is open): where SQLite would make the journal is
  // refused before anything is created.
  std::filesystem::create_directory(Path("again"));
  const pid_t child = fork();
  if (child == 0) {
    const bool bound =
        unshare(CLONE_NEWNS) == 0 &&
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        mount(folder_.c_str(), Path("again").c_str(), nullptr, MS_BIND, nullptr) == 0;
    _exit(!bound                                                                  ? 2
          : Get("1", Path("again/b.db-journal")) == "Error: unable to write file" ? 0
                                                                                  : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WEXITSTATUS(status) != 1) << "the journal's place was not recognised";
  EXPECT_FALSE(test::Exists(db_ + "-journal"));
  // WAL mode, with 50 committed rows not yet checkpointed, and a reader in this process
  // that holds SQLite's locks on the database and its -shm file.
  test::RunSql(db_, "PRAGMA journal_mode = WAL; PRAGMA default_cache_size = 20000");
  const std::string before = test::ReadBytes(db_);  // read before any lock: reading drops them
  test::Connection reader(db_);
  ASSERT_TRUE(reader.Exec("BEGIN; SELECT count(*) FROM pics"));
  test::RunSql(db_,
               "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 50) "
               "INSERT INTO pics(note) SELECT n FROM c");
  std::filesystem::create_symlink(db_, Path("link.db"));
  std::filesystem::create_hard_link(db_, Path("hard.db"));
  std::filesystem::create_symlink(db_ + "-wal", Path("wal-link"));
  const int locks = LocksHeldHere();
  ASSERT_GT(locks, 0);
  const auto written = std::filesystem::last_write_time(folder_);  // nothing made, even briefly
  for (const std::string &name :
       {db_, Path("link.db"), Path("hard.db"), folder_.string() + "/./b.db", db_ + "-wal",
        db_ + "-shm", Path("wal-link"), db_ + "-journal" /* not there: where SQLite makes it */}) {
    EXPECT_EQ(Get("1", name), "Error: unable to write file") << name;
    EXPECT_EQ(Put("1", name), "Error: unable to read file") << name;
    EXPECT_EQ(LocksHeldHere(), locks) << "a lock was dropped by the action on " << name;
  }
  EXPECT_TRUE(std::filesystem::last_write_time(folder_) == written);
  ASSERT_TRUE(reader.Exec("COMMIT"));
  EXPECT_EQ(test::Scalar(db_, "SELECT count(*) FROM pics"), "52");
  EXPECT_TRUE(test::ReadBytes(db_) == before);  // the rows are still in the WAL file
  EXPECT_EQ(test::IntegrityCheck(db_), "ok");
}

TEST_F(BlobActions, PutReadsAReadOnlySourceButNotOneHeldByAnotherOpener) {
  test::WriteBytes(Path("ro"), "from a read-only file");
  chmod(Path("ro").c_str(), 0444);
  EXPECT_EQ(Put("1", Path("ro")), kOk);
  EXPECT_EQ(Img(1), "from a read-only file");

  test::WriteBytes(Path("held"), "held");
  const int holder = open(Path("held").c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(Put("1", Path("held")), "Error: unable to read file");
  close(holder);
  EXPECT_EQ(Img(1), "from a read-only file");
}

TEST_F(BlobActions, PutToAMissingRowOrLockedDatabase) {
  test::WriteBytes(Path("in"), "x");
  EXPECT_EQ(Put("99", Path("in")), kOk);  // no row matches: nothing changes
  EXPECT_EQ(test::Scalar(db_, "SELECT count(*) FROM pics"), "2");
  test::Connection other(db_);
  ASSERT_TRUE(other.Exec("BEGIN IMMEDIATE"));
  EXPECT_EQ(Put("1", Path("in")), "BLOB Update Error");
  ASSERT_TRUE(other.Exec("ROLLBACK"));
  EXPECT_EQ(Img(1), "\xCA\xFE");
}

TEST_F(BlobActions, BlanksAroundNamesStayInsideTheBrackets) {
  test::RunSql(db_, "CREATE TABLE [ spaced ]([ c ] BLOB); INSERT INTO [ spaced ] VALUES(NULL)");
  test::WriteBytes(Path("in"), "abc");
  EXPECT_EQ(Put("1", Path("in"), " spaced ", " c "), kOk);
  EXPECT_EQ(test::Scalar(db_, "SELECT [ c ] FROM [ spaced ]"), "abc");
  EXPECT_EQ(Put("1", Path("in"), "spaced", "c"), "BLOB Update Error");
}

}  // namespace
}  // namespace kiv
