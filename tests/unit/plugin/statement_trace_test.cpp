// The SQL texts each action sends to SQLite, in order, observed at the SQLite calls.
#include <gtest/gtest.h>

#include "host/host_record.h"
#include "kivsqlite3.h"
#include "support/sql_trace.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

using Calls = std::vector<std::string>;

class StatementTrace : public test::TestFolder {
 protected:
  void SetUp() override {
    TestFolder::SetUp();
    qvRegisterPlugIn(&host::RecordAction, 0, 0, &host::RecordVariable);
    test::RunSql(Path("a.db"),
                 "PRAGMA default_cache_size = 20000; CREATE TABLE t(a); CREATE TABLE pics(img);"
                 "INSERT INTO pics VALUES(1)");
    host::TheHostRecord().sets.clear();
  }
  std::string LastAnswer() { return host::TheHostRecord().sets.back().value.value_or(""); }
  Calls Opened() {
    return {"open:" + Path("a.db"), "PRAGMA default_cache_size", "PRAGMA temp_store = 2"};
  }
  static Calls Plus(Calls a, const Calls &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
};

TEST_F(StatementTrace, CommandCommitsTwiceOnSuccess) {
  test::SqlTrace trace;
  QX_SQLITE_CMD((Path("a.db") + "|INSERT INTO t VALUES(1)|res").c_str());
  EXPECT_EQ(LastAnswer(), "Ok");
  EXPECT_EQ(trace.Calls(), Plus(Opened(), {"INSERT INTO t VALUES(1)", "commit", "commit"}));
}

TEST_F(StatementTrace, FailedCommandRollsBackThenCommitsOnClose) {
  test::SqlTrace trace;
  QX_SQLITE_CMD((Path("a.db") + "|INSERT INTO nosuch VALUES(1)|res").c_str());
  EXPECT_EQ(LastAnswer(), "Error: unable to execute Querry");
  EXPECT_EQ(trace.Calls(), Plus(Opened(), {"INSERT INTO nosuch VALUES(1)", "rollback", "commit"}));
}

TEST_F(StatementTrace, QueryCommitsOnlyOnClose) {
  test::SqlTrace trace;
  QX_SQLITE_SELECT((Path("a.db") + "|SELECT count(*) FROM t|res").c_str());
  EXPECT_EQ(LastAnswer(), "0\r");
  EXPECT_EQ(trace.Calls(), Plus(Opened(), {"SELECT count(*) FROM t", "commit"}));
}

TEST_F(StatementTrace, BlobPutSendsOneUpdateWithTheHexLiteral) {
  test::WriteBytes(Path("in.bin"), std::string("\xFF\x01", 2));
  test::SqlTrace trace;
  QX_SQLITE_BLOB_PUT((Path("a.db") + "|pics|img|1|" + Path("in.bin") + "|res").c_str());
  EXPECT_EQ(LastAnswer(), "Ok");
  EXPECT_EQ(trace.Calls(),
            Plus(Opened(), {"UPDATE [pics] SET [img]=X'FF01' WHERE rowid= 1", "commit"}));
}

TEST_F(StatementTrace, BlobGetSelectsTheQuotedValue) {
  test::RunSql(Path("a.db"), "UPDATE pics SET img = x'00ff'");
  test::SqlTrace trace;
  QX_SQLITE_BLOB_GET((Path("a.db") + "|pics|img|1|" + Path("out.bin") + "|res").c_str());
  EXPECT_EQ(LastAnswer(), "Ok");
  EXPECT_EQ(
      trace.Calls(),
      Plus(Opened(), {"SELECT quote([img]) AS TheBlob FROM [pics] WHERE rowid= 1", "commit"}));
  EXPECT_EQ(test::ReadBytes(Path("out.bin")), std::string("\x00\xFF", 2));
}

TEST_F(StatementTrace, BlobGetOfATextValueAsksForItsBytes) {
  test::RunSql(Path("a.db"), "UPDATE pics SET img = 'a''b'");
  test::SqlTrace trace;
  QX_SQLITE_BLOB_GET((Path("a.db") + "|pics|img|1|" + Path("out.bin") + "|res").c_str());
  EXPECT_EQ(
      trace.Calls(),
      Plus(Opened(),
           {"SELECT quote([img]) AS TheBlob FROM [pics] WHERE rowid= 1",
            "SELECT quote(CAST([img] AS BLOB)) AS TheBlob FROM [pics] WHERE rowid= 1", "commit"}));
  EXPECT_EQ(test::ReadBytes(Path("out.bin")), "a'b");
}

TEST_F(StatementTrace, RefusedNamesRowIdsAndOversizedFilesSendNoStatement) {
  // A file whose UPDATE would be longer than SQLite accepts (1,000,000,000 bytes) is
  // refused before it is read: a sparse file, so the test writes nothing of its size.
  test::WriteBytes(Path("huge.bin"), "");
  std::filesystem::resize_file(Path("huge.bin"), 500000000);
  test::SqlTrace trace;
  QX_SQLITE_BLOB_GET((Path("a.db") + "|pi]cs|img|1|" + Path("out.bin") + "|res").c_str());
  EXPECT_EQ(LastAnswer(), "BLOB SELECT Error");
  QX_SQLITE_BLOB_PUT(
      (Path("a.db") + "|pics|img|9223372036854775808|" + Path("out.bin") + "|res").c_str());
  EXPECT_EQ(LastAnswer(), "BLOB Update Error");
  QX_SQLITE_BLOB_PUT((Path("a.db") + "|pics|img|1|" + Path("huge.bin") + "|res").c_str());
  EXPECT_EQ(LastAnswer(), "BLOB Update Error");
  const Calls nothing = Plus(Opened(), {"commit"});
  EXPECT_EQ(trace.Calls(), Plus(Plus(nothing, nothing), nothing));
}

}  // namespace
}  // namespace kiv
