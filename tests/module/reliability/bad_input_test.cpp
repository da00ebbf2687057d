// Whatever a script sends ends in one of the answer texts and exactly one hand-back:
// a table of malformed, oversized and hostile parameter texts over all four actions.
// The test runs inside its own folder, and no generated field holds "/", so every file
// the actions create stays there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <set>

#include "support/answers.h"
#include "support/module_host.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

struct BadInput {
  int action;
  std::string params;
};

// Every byte from 1 to 255 but the field separator and the path separator.
std::string AllBytes() {
  std::string bytes;
  for (int b = 1; b < 256; ++b) {
    if (b != '|' && b != '/') bytes += static_cast<char>(b);
  }
  return bytes;
}

std::string Join(const std::vector<std::string> &fields) {
  std::string text;
  for (std::size_t i = 0; i < fields.size(); ++i) text += (i ? "|" : "") + fields[i];
  return text;
}

std::vector<BadInput> MakeCases() {
  std::vector<BadInput> cases;
  const std::vector<std::string> sqlFields = {"bad.db", "SELECT 1", "res"};
  const std::vector<std::string> blobFields = {"bad.db", "t", "c", "1", "f.bin", "res"};
  const std::string megabyte(1 << 20, 'x');
  const std::string huge(17 << 20, 'y');
  for (int action = 1; action <= 4; ++action) {
    const auto &base = action <= 2 ? sqlFields : blobFields;
    for (const std::string &text :
         {std::string(), std::string("no separators"), std::string("|"), std::string("||||||"),
          std::string(40, '|'), Join(base) + "|extra|fields|", megabyte,
          "bad.db|" + megabyte + "|res", huge, "bad.db|" + huge + "|res"})
      cases.push_back({action, text});
    for (std::size_t field = 0; field < base.size(); ++field) {  // bytes 1-255 in every field
      for (const std::string &value : {AllBytes(), std::string(300, 'n'), std::string(" "),
                                       std::string("."), std::string(".."), std::string("dir")}) {
        std::vector<std::string> fields = base;
        fields[field] = value;
        cases.push_back({action, Join(fields)});
      }
    }
  }
  const char *sqls[] = {"",
                        ";",
                        ";;;",
                        "SELECT",
                        "BEGIN",
                        "COMMIT",
                        "ROLLBACK",
                        "END",
                        "BEGIN; BEGIN",
                        "SELECT 1; SELECT 1, 2",
                        "\x01\x02\x7f\xff",
                        "PRAGMA nosuch",
                        "CREATE TABLE z(a); DROP TABLE z",
                        "SELECT x'00414200'",
                        "SELECT zeroblob(10)",
                        "SELECT load_extension('x')",
                        "DROP TABLE t",
                        "SELECT * FROM t",
                        "INSERT INTO t VALUES(1,2,3,4)",
                        "SELECT 1e999, -1e999, 0.0/0"};
  for (const char *sql : sqls) {
    for (int action : {1, 2}) cases.push_back({action, std::string("bad.db|") + sql + "|res"});
  }
  const std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
  cases.push_back({1, "bad.db|SELECT " + deep + "|res"});
  cases.push_back({2, "bad.db|SELECT " + deep + "|res"});
  std::string sum = "1";
  for (int i = 0; i < 20000; ++i) sum += "+1";
  cases.push_back({2, "bad.db|SELECT " + sum + "|res"});
  const char *names[] = {"t]",
                         "[t",
                         "t]]",
                         "]",
                         "[",
                         "[t]",
                         "t] SET [c]=1 --",
                         "c]) FROM t; DROP TABLE t; --",
                         "",
                         " t",
                         "T",
                         "sqlite_master",
                         "t\"",
                         "t'",
                         "t;"};
  for (const char *name : names) {
    for (int action : {3, 4}) {
      cases.push_back({action, std::string("bad.db|") + name + "|c|1|f.bin|res"});
      cases.push_back({action, std::string("bad.db|t|") + name + "|1|f.bin|res"});
    }
  }
  const char *rowIds[] = {"&H",
                          "&",
                          "&Q",
                          "&B",
                          "1e400",
                          "-1e400",
                          "1e-400",
                          "-0",
                          "0",
                          "-1",
                          "9223372036854775807",
                          "9223372036854775808",
                          "-9223372036854775808",
                          "-9223372036854775809",
                          "99999999999999999999999",
                          "2147483648",
                          "1e18",
                          "-1e18",
                          "&HFFFFFFFFFFFFFFFFF",
                          "&HFFFF",
                          "&H8000000000000000",
                          "abc",
                          "NaN",
                          "Inf",
                          "1.5",
                          "2.5",
                          "\t7",
                          "7\r",
                          "1D2",
                          "&O777777777777777777777777"};
  for (const char *rowId : rowIds) {
    for (int action : {3, 4})
      cases.push_back({action, std::string("bad.db|t|c|") + rowId + "|f.bin|res"});
  }
  for (int b = 1; b < 256; ++b) {  // every single byte as a row id
    if (b != '|' && b != '/')
      cases.push_back(
          {3 + b % 2, "bad.db|t|c|" + std::string(1, static_cast<char>(b)) + "|f.bin|res"});
  }
  return cases;
}

class BadInputs : public test::TestFolder {
 protected:
  void SetUp() override {
    TestFolder::SetUp();
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previous_ = cwd;
    ASSERT_EQ(chdir(folder_.c_str()), 0);
    std::filesystem::create_directory("dir");
    test::RunSql("bad.db",
                 "CREATE TABLE t(id INTEGER PRIMARY KEY, c BLOB, d TEXT); INSERT INTO t VALUES(1, "
                 "x'01', 'a')");
    test::WriteBytes("f.bin", "file bytes");
  }
  void TearDown() override {
    EXPECT_EQ(chdir(previous_.c_str()), 0);
    TestFolder::TearDown();
  }
  std::string previous_;
};

TEST_F(BadInputs, EveryTextEndsInAnAnswerAndOneHandBack) {
  const std::vector<BadInput> cases = MakeCases();
  ASSERT_GE(cases.size(), 200u);
  test::Module();
  for (const BadInput &c : cases) {
    test::ForgetSets();
    ASSERT_EQ(test::RunAction(c.action, c.params), 1);
    const auto &sets = host::TheHostRecord().sets;
    ASSERT_EQ(sets.size(), 1u) << "action " << c.action << ": " << c.params.substr(0, 80);
    const std::string answer = sets[0].value.value_or("");
    EXPECT_TRUE(test::IsAllowedAnswer(c.action, answer))
        << "action " << c.action << " answered '" << answer.substr(0, 80) << "' to "
        << c.params.substr(0, 80);
  }
  EXPECT_EQ(test::IntegrityCheck("bad.db"), "ok");
}

TEST_F(BadInputs, TextLongerThanSixteenMebibytesRunsNothingAndAnswersItsVariable) {
  test::Module();
  const std::string text = "big.db|CREATE TABLE t(a); " + std::string(17 << 20, ' ') + "|res";
  for (const auto &[action, answer] :
       {std::pair{1, "Error: unable to execute Querry"},
        std::pair{2, "Error: the text is longer than 16 MiB; nothing was run"}}) {
    test::ForgetSets();
    test::RunAction(action, text);
    ASSERT_EQ(host::TheHostRecord().sets.size(), 1u);
    EXPECT_EQ(host::TheHostRecord().sets[0].name, "res");
    EXPECT_EQ(host::TheHostRecord().sets[0].value, answer);
  }
  EXPECT_FALSE(test::Exists("big.db"));
}

}  // namespace
}  // namespace kiv
