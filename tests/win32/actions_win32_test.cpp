// The four actions through the Windows DLL's real exports, under Windows' own file
// rules: FILE_ATTRIBUTE_READONLY and share mode 0. Kept small: the emulated process is
// slow, and large data stays in the native suite.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/module_host.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

constexpr char kOk[] = "Ok";

class Win32Actions : public test::TestFolder {
 protected:
  void SetUp() override {
    TestFolder::SetUp();
    db_ = Path("w.db");
  }
  std::string Blob(int action, const std::string &rowId, const std::string &file) {
    return test::Answer(action, db_ + "|pics|img|" + rowId + "|" + file + "|res");
  }
  std::string db_;
};

TEST_F(Win32Actions, CommandAndQueryEndToEnd) {
  EXPECT_EQ(test::Answer(1, db_ + "|CREATE TABLE t(id INTEGER, name TEXT, note TEXT)|res"), kOk);
  EXPECT_EQ(test::Answer(
                1, db_ + "|INSERT INTO t VALUES(1, 'ab', NULL); INSERT INTO t VALUES(2, 'p', '');"
                         "INSERT INTO t VALUES(3, NULL, 'x')|res"),
            kOk);
  EXPECT_EQ(test::Answer(2, db_ + "|SELECT id, name, note FROM t ORDER BY id|res"),
            "1|ab|\r2|p|\r3||x\r");
  EXPECT_EQ(test::Answer(2, db_ + "|SELECT * FROM nosuch|res"), "Error: no such table: nosuch");
  EXPECT_EQ(test::Answer(1, db_ + "|BEGIN; DELETE FROM t; INSERT INTO nosuch VALUES(1)|res"),
            "Error: unable to execute Querry");
  EXPECT_EQ(test::Answer(2, db_ + "|SELECT count(*) FROM t|res"), "3\r");
  EXPECT_EQ(test::Answer(1, Path("missing\\x.db") + "|SELECT 1|res"),
            "Error: unable to open database");
}

TEST_F(Win32Actions, BlobRoundTripOfAFewMebibytes) {
  test::Exec(
      db_, "CREATE TABLE pics(id INTEGER PRIMARY KEY, img BLOB); INSERT INTO pics VALUES(1, NULL)");
  for (std::size_t n : {0u, 1u, 3u << 20}) {
    const std::string data = test::RandomBytes(n, static_cast<unsigned>(n) + 3);
    test::WriteBytes(Path("in.bin"), data);
    ASSERT_EQ(Blob(4, "1", Path("in.bin")), kOk) << n;
    ASSERT_EQ(Blob(3, "1", Path("out.bin")), kOk) << n;
    EXPECT_TRUE(test::ReadBytes(Path("out.bin")) == data) << n;
  }
}

TEST_F(Win32Actions, ReadOnlyAttributeKeepsTargetAndStillLetsASourceBeRead) {
  test::Exec(
      db_,
      "CREATE TABLE pics(id INTEGER PRIMARY KEY, img BLOB); INSERT INTO pics VALUES(1, x'CAFE')");
  test::WriteBytes(Path("ro.bin"), "read-only");
  ASSERT_TRUE(SetFileAttributesA(Path("ro.bin").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Blob(3, "1", Path("ro.bin")), "Error: unable to write file");
  EXPECT_EQ(test::ReadBytes(Path("ro.bin")), "read-only");
  EXPECT_EQ(Blob(4, "1", Path("ro.bin")), kOk);
  EXPECT_EQ(test::Scalar(db_, "SELECT img FROM pics WHERE id = 1"), "read-only");
  SetFileAttributesA(Path("ro.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32Actions, FileHeldWithoutSharingIsRefusedBothWays) {
  test::Exec(
      db_,
      "CREATE TABLE pics(id INTEGER PRIMARY KEY, img BLOB); INSERT INTO pics VALUES(1, x'CAFE')");
  test::WriteBytes(Path("held.bin"), "held");
  HANDLE holder = CreateFileA(Path("held.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Blob(3, "1", Path("held.bin")), "Error: unable to write file");
  EXPECT_EQ(Blob(4, "1", Path("held.bin")), "Error: unable to read file");
  CloseHandle(holder);
  EXPECT_EQ(test::ReadBytes(Path("held.bin")), "held");
  EXPECT_EQ(test::Scalar(db_, "SELECT hex(img) FROM pics WHERE id = 1"), "CAFE");
}

}  // namespace
}  // namespace kiv
