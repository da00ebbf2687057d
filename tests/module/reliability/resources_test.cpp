// Ten thousand actions over every success and error path leave the process with the
// files and memory it had: nothing leaks per action.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/module_host.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // the sanitizer's own bookkeeping makes memory move
#else
constexpr bool kSanitized = false;
#endif

namespace kiv {
namespace {

long OpenFiles() {
  long count = 0;
  for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}

long ResidentPages() {
  long size = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> size >> resident;
  return resident;
}

class Resources : public test::TestFolder {
 protected:
  void RunMix(int rounds) {
    const std::string db = Path("r.db");
    const std::string actions[][2] = {
        {"1", db + "|INSERT INTO t(v) VALUES('x')|res"},
        {"1", db + "|INSERT INTO nosuch VALUES(1)|res"},
        {"1", db + "|BEGIN; INSERT INTO t(v) VALUES(1); SELEKT|res"},
        {"2", db + "|SELECT id, v, b FROM t ORDER BY id DESC LIMIT 20|res"},
        {"2", db + "|SELECT * FROM nosuch|res"},
        {"2", Path("missing/x.db") + "|SELECT 1|res"},
        {"3", db + "|t|b|1|" + Path("out.bin") + "|res"},
        {"3", db + "|t|b|1|" + Path("missing/out.bin") + "|res"},
        {"3", db + "|nosuch|b|1|" + Path("out.bin") + "|res"},
        {"3", db + "|t|v|2|" + Path("out.bin") + "|res"},
        {"4", db + "|t|b|1|" + Path("in.bin") + "|res"},
        {"4", db + "|t|b|1|" + Path("missing.bin") + "|res"},
        {"4", db + "|t]|b|1|" + Path("in.bin") + "|res"},
        {"4", Path("junk.db") + "|t|b|1|" + Path("in.bin") + "|res"},
    };
    for (int r = 0; r < rounds; ++r) {
      for (const auto &[action, params] : actions) test::RunAction(std::stoi(action), params);
      if (r % 50 == 0) test::RunAction(1, db + "|DELETE FROM t WHERE id > 2|res");
      test::ForgetSets();
    }
  }
};

TEST_F(Resources, ManyActionsLeaveFilesAndMemoryWhereTheyWere) {
  test::RunSql(Path("r.db"),
               "CREATE TABLE t(id INTEGER PRIMARY KEY, v, b BLOB);"
               "INSERT INTO t VALUES(1, 'a', x'0102'); INSERT INTO t VALUES(2, 'text', NULL)");
  test::WriteBytes(Path("in.bin"), test::RandomBytes(5000, 1));
  test::WriteBytes(Path("junk.db"), std::string(3000, 'j'));
  test::Module();
  RunMix(50);  // warm-up: caches, allocator arenas
  const long files = OpenFiles();
  const long pages = ResidentPages();
  const int rounds = kSanitized ? 150 : 715;  // 14 actions a round: 10,010 unsanitized
  RunMix(rounds);
  EXPECT_EQ(OpenFiles(), files);
  if (!kSanitized) {
    EXPECT_LT(ResidentPages() - pages, 256) << "resident memory grew by pages";
  }
  RecordProperty("resident_page_growth", static_cast<int>(ResidentPages() - pages));
  EXPECT_EQ(test::IntegrityCheck(Path("r.db")), "ok");
}

}  // namespace
}  // namespace kiv
