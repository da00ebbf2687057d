// The BLOB actions with every file call failing in turn: each call the platform layer
// makes, at each position, with each error the system gives. "Ok" only when the file
// or the column holds the value; an error leaves an existing target as it was, no
// created one behind and the column as it was; the database stays whole. Runs in the
// native suite and in the Windows test program.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>

#include "blob/blob_actions.h"
#include "support/os_call_faults.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

#ifdef _WIN32
constexpr char kFlushCall[] = "FlushFileBuffers";
#else
constexpr char kFlushCall[] = "fdatasync";
#endif

// The calls a signal can interrupt before they do anything, which the layer makes again.
const std::set<std::string> kInterruptible = {"open",      "flock",     "pread",          "pwrite",
                                              "ftruncate", "fdatasync", "posix_fallocate"};

struct Scenario {
  const char *what;
  int action;                      // 3 (get into the target) or 4 (put from it)
  std::optional<std::string> old;  // the target's content before a get; none: a new one
  bool secondName = false;         // the target has a hard link: it is written in place
};

class FileFaults : public test::TestFolder {
 protected:
  void SetUp() override {
    TestFolder::SetUp();
    db_ = Path("f.db");
    file_ = Path("file.bin");
    test::RunSql(db_,
                 "CREATE TABLE t(id INTEGER PRIMARY KEY, img BLOB);"
                 "INSERT INTO t VALUES(1, randomblob(5000)), (2, x'CAFE')");
    value_ = test::Scalar(db_, "SELECT img FROM t WHERE id = 1").value_or("");
    test::os_faults::Install();
  }
  void TearDown() override {
    test::os_faults::Uninstall();
    TestFolder::TearDown();
  }
  // Sets the files up for `s`, arms the fault, runs the action; returns its answer.
  std::string Run(const Scenario &s, const std::string &call, int nth, int error) {
    std::filesystem::remove(Path("second.bin"));
    if (s.action == 4 || s.old) {
      test::WriteBytes(file_, s.action == 4 ? value_ : *s.old);
    } else {
      std::filesystem::remove(file_);
    }
    if (s.secondName) std::filesystem::create_hard_link(file_, Path("second.bin"));
    if (s.action == 4) test::RunSql(db_, "UPDATE t SET img = x'CAFE' WHERE id = 2");
    test::os_faults::Arm(call, nth, error);
    const frame::Answer answer = s.action == 3 ? blob::RunBlobGet(db_, "t", "img", "1", file_)
                                               : blob::RunBlobPut(db_, "t", "img", "2", file_);
    return answer.c_str();
  }
  // Fails the test unless the files are as `answer` says, with nothing left beside them.
  void Check(const Scenario &s, const std::string &answer) {
    for (const auto &entry : std::filesystem::directory_iterator(folder_)) {
      EXPECT_EQ(entry.path().filename().string().find(".kivsqlite3-"), std::string::npos)
          << entry.path();
    }
    if (s.action == 4) {
      const std::string stored = test::Scalar(db_, "SELECT img FROM t WHERE id = 2").value_or("");
      EXPECT_TRUE(answer == "Ok" ? stored == value_
                                 : answer == "Error: unable to read file" && stored == "\xCA\xFE")
          << answer;
    } else if (answer == "Ok") {
      EXPECT_TRUE(test::ReadBytes(file_) == value_);
    } else {
      EXPECT_EQ(answer, "Error: unable to write file");
      EXPECT_EQ(test::Exists(file_), s.old.has_value());
      if (s.old) {
        EXPECT_TRUE(test::ReadBytes(file_) == *s.old);
      }
    }
  }
  std::string db_;
  std::string file_;
  std::string value_;
};

TEST_F(FileFaults, AnyFailingCallLeavesTheFilesAsTheAnswerSays) {
  const Scenario scenarios[] = {{"new target", 3, std::nullopt},
                                {"target that shrinks", 3, test::RandomBytes(9000, 1)},
                                {"target that grows", 3, test::RandomBytes(100, 2)},
                                {"target with a second name", 3, test::RandomBytes(100, 3), true},
                                {"put source", 4, std::nullopt}};
  for (const Scenario &s : scenarios) {
    SCOPED_TRACE(s.what);
    ASSERT_EQ(Run(s, "", 0, 0), "Ok");
    Check(s, "Ok");
    const std::map<std::string, int> calls = test::os_faults::Counts();
    if (s.action == 3) {
      EXPECT_GT(calls.count(kFlushCall), 0u) << "flushed before the close";
    }
    int cases = 0;
    for (const auto &[call, count] : calls) {
      for (int nth = 1; nth <= count; ++nth) {
        for (const int error : test::os_faults::kFileErrors) {
          SCOPED_TRACE(call + " #" + std::to_string(nth) + " failing with " +
                       std::to_string(error));
          const std::string answer = Run(s, call, nth, error);
          Check(s, answer);
          if (error == EINTR && kInterruptible.count(call) == 1) {
            EXPECT_EQ(answer, "Ok") << "made again after a signal";
          }
          ++cases;
        }
      }
    }
    RecordProperty(std::string("cases: ") + s.what, cases);
    EXPECT_EQ(test::IntegrityCheck(db_), "ok");
  }
}

}  // namespace
}  // namespace kiv
