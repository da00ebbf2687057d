// A host process killed in the middle of an action: the database file stays whole and
// holds the state before the action or after it, never a mix; so does a BLOB get's
// target file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "support/module_host.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

using Clock = std::chrono::steady_clock;

// True when the rollback journal of `db` holds something: the action is writing the
// database, or was when it was killed, the moment these tests are about.
bool Writing(const std::string &db) {
  std::error_code error;
  const auto size = std::filesystem::file_size(db + "-journal", error);
  return !error && size > 0;
}

// True when a BLOB get is writing its new file beside the target in `folder` (a kill
// leaves it there); with `remove`, the file is removed.
bool Replacing(const std::filesystem::path &folder, bool remove = false) {
  for (const auto &entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().find(".kivsqlite3-") == std::string::npos) continue;
    return !remove || std::filesystem::remove(entry.path());
  }
  return false;
}

// Runs `action` with `params` in a child process and kills it with SIGKILL after
// `delay` (or lets it finish when it is quicker). With `writing`, the delay counts from
// the moment it turns true (the action is writing): the kill lands while it writes by
// construction, not by the luck of the timing.
void RunAndKill(int action, const std::string &params, std::chrono::microseconds delay,
                const std::function<bool()> &writing = nullptr) {
  test::Module();
  const pid_t child = fork();
  if (child == 0) {
    test::RunAction(action, params);
    _exit(0);
  }
  int status = 0;
  bool ended = false;
  const auto giveUp = Clock::now() + std::chrono::seconds(60);
  while (writing && !writing() && !ended && Clock::now() < giveUp) {
    ended = waitpid(child, &status, WNOHANG) == child;
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  if (ended) return;
  std::this_thread::sleep_for(delay);
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
}

class CrashConsistency : public test::TestFolder {
 protected:
  std::mt19937 random_{std::random_device{}()};

  std::chrono::microseconds RandomMoment(std::chrono::microseconds length) {
    std::uniform_int_distribution<long> pick(0, length.count() * 6 / 5);
    return std::chrono::microseconds(pick(random_));
  }
};

// The time a whole action takes, measured in a child that is not killed.
std::chrono::microseconds Duration(int action, const std::string &params) {
  test::Module();
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    test::RunAction(action, params);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
}

TEST_F(CrashConsistency, KilledBlobPutLeavesTheOldOrTheNewValue) {
  const std::string db = Path("c.db");
  const std::size_t size = 16u << 20;
  std::string current(size, 'A');
  test::WriteBytes(Path("init.bin"), current);
  test::RunSql(
      db, "CREATE TABLE pics(id INTEGER PRIMARY KEY, img BLOB); INSERT INTO pics VALUES(1, NULL)");
  ASSERT_EQ(test::Answer(4, db + "|pics|img|1|" + Path("init.bin") + "|res"), "Ok");
  const auto length = Duration(4, db + "|pics|img|1|" + Path("init.bin") + "|res");
  int changed = 0;
  int whileWriting = 0;
  for (int rep = 0; rep < 30; ++rep) {
    const std::string next(size, static_cast<char>('B' + rep));
    test::WriteBytes(Path("next.bin"), next);
    // Every other kill waits for the database to be written, then strikes within it.
    const bool onJournal = rep % 2 == 1;
    const auto moment = RandomMoment(onJournal ? length / 20 : length);
    RunAndKill(4, db + "|pics|img|1|" + Path("next.bin") + "|res", moment,
               [&] { return !onJournal || Writing(db); });
    whileWriting += Writing(db);
    ASSERT_EQ(test::IntegrityCheck(db), "ok") << "killed after " << moment.count() << " us";
    const std::optional<std::string> value = test::Scalar(db, "SELECT img FROM pics WHERE id = 1");
    ASSERT_TRUE(value == current || value == next)
        << "a mix after a kill at " << moment.count() << " us";
    if (value == next) {
      current = next;
      ++changed;
    }
  }
  RecordProperty("puts_completed_before_the_kill", changed);
  EXPECT_GT(whileWriting, 0) << "no kill landed while the database was being written";
}

TEST_F(CrashConsistency, KilledBlobGetLeavesTheOldOrTheNewTarget) {
  const std::string db = Path("c.db");
  const std::size_t size = 16u << 20;
  const std::string value(size, 'V');
  test::WriteBytes(Path("value.bin"), value);
  test::RunSql(
      db, "CREATE TABLE pics(id INTEGER PRIMARY KEY, img BLOB); INSERT INTO pics VALUES(1, NULL)");
  ASSERT_EQ(test::Answer(4, db + "|pics|img|1|" + Path("value.bin") + "|res"), "Ok");
  const std::string params = db + "|pics|img|1|" + Path("out.bin") + "|res";
  const auto length = Duration(3, params);
  int replaced = 0;
  int whileWriting = 0;
  for (int rep = 0; rep < 24; ++rep) {
    const std::string old(size, static_cast<char>('a' + rep));
    test::WriteBytes(Path("out.bin"), old);
    // Every other kill waits for the value to be written (into a new file beside the
    // target, or over the target's first byte), then strikes within that.
    const bool onWrite = rep % 2 == 1;
    const auto moment = RandomMoment(onWrite ? length / 20 : length);
    RunAndKill(3, params, moment, [&] {
      std::ifstream target(Path("out.bin"), std::ios::binary);
      return !onWrite || Replacing(folder_) || target.get() != old[0];
    });
    whileWriting += Replacing(folder_, true);
    const std::string now = test::ReadBytes(Path("out.bin"));
    ASSERT_TRUE(now == old || now == value) << "a mix after a kill at " << moment.count() << " us";
    replaced += now == value;
  }
  RecordProperty("gets_completed_before_the_kill", replaced);
  EXPECT_GT(whileWriting, 0) << "no kill landed while the new file was being written";
}

TEST_F(CrashConsistency, KilledTransactionLeavesAllOrNoneOfItsRows) {
  const std::string db = Path("c.db");
  test::RunSql(db, "CREATE TABLE t(batch, i)");
  auto batchSql = [](int batch) {
    std::string sql = "BEGIN;";
    for (int i = 0; i < 10000; ++i)
      sql += " INSERT INTO t VALUES(" + std::to_string(batch) + ", " + std::to_string(i) + ");";
    return sql + " COMMIT";
  };
  const auto length = Duration(1, db + "|" + batchSql(0) + "|res");
  long rows = 10000;
  int whileWriting = 0;
  for (int batch = 1; batch <= 30; ++batch) {
    const bool onJournal = batch % 2 == 1;
    const auto moment = RandomMoment(onJournal ? length / 20 : length);
    RunAndKill(1, db + "|" + batchSql(batch) + "|res", moment,
               [&] { return !onJournal || Writing(db); });
    whileWriting += Writing(db);
    ASSERT_EQ(test::IntegrityCheck(db), "ok") << "killed after " << moment.count() << " us";
    const long now = std::stol(test::Scalar(db, "SELECT count(*) FROM t").value_or("-1"));
    const long ofBatch =
        std::stol(test::Scalar(db, "SELECT count(*) FROM t WHERE batch = " + std::to_string(batch))
                      .value_or("-1"));
    ASSERT_TRUE((ofBatch == 0 && now == rows) || (ofBatch == 10000 && now == rows + 10000))
        << "batch " << batch << " left " << ofBatch << " rows, killed after " << moment.count()
        << " us";
    rows = now;
  }
  EXPECT_GT(whileWriting, 0) << "no kill landed while the database was being written";
}

}  // namespace
}  // namespace kiv
