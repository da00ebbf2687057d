// The seven host exports, called through the loaded module as a host calls them.
#include <gtest/gtest.h>

#include "host/host_os.h"
#include "support/module_host.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

using host::TheHostRecord;

TEST(Registration, AnnouncesFourActionsInOrderWithTheirHints) {
  const auto &api = test::Module();
  TheHostRecord().actions.clear();
  api.qvRegisterPlugIn(&host::RecordAction, 11, 22, &host::RecordVariable);
  const auto &actions = TheHostRecord().actions;
  ASSERT_EQ(actions.size(), 4u);
  const char *names[4] = {"QX_SqLite_cmd", "QX_SqLite_Select", "QX_SqLite_BLOB_Get",
                          "QX_SqLite_BLOB_Put"};
  const char *hints[4] = {
      "Execute SQL command WITHOUT Recordet ( Returns Ok or Error)\r\n"
      "QX_SqLite_cmd\"[Database]|[SQL_String]|return_variable\"",
      "Execute SQL command WITH Recordet\r\n"
      "QX_SqLite_Select\"[Database]|[SQL_String]|return_variable\"",
      "GET Binary Data from a BLOB Field ( Returns Ok or Error)\r\nQX_SqLite_BLOB_Get"
      "\"[Database]|[TableName]|[FieldName]|[RowID]|[TargetFile]|return_variable\"",
      "PUT Binary Data into a BLOB Field ( Returns Ok or Error)\r\nQX_SqLite_BLOB_Put"
      "\"[Database]|[TableName]|[FieldName]|[RowID]|[SourceFile]|return_variable\""};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(actions[i].number, i + 1);
    EXPECT_EQ(actions[i].name, names[i]);
    EXPECT_EQ(actions[i].type, "ACTIONPARAM_ALPHA");
    EXPECT_EQ(actions[i].count, 1);
    EXPECT_EQ(actions[i].countAgain, 1);
    EXPECT_EQ(actions[i].hint, hints[i]);
  }
}

TEST(Identity, FillsThreeSlotsAndRefillsThemFreeingTheOldBlocks) {
  const auto &api = test::Module();
  HostTextSlot title = 0, author = 0, description = 0;
  api.qvInitPlugIn(5, &title, &author, &description);
  ASSERT_NE(title, 0);
  ASSERT_NE(description, 0);
  EXPECT_STREQ(reinterpret_cast<const char *>(title), "KivSQLite 3 1.0");
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(title), 16),
            std::string("KivSQLite 3 1.0\0", 16));
  EXPECT_STREQ(reinterpret_cast<const char *>(author), "KivSQLite3 developers");
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(description), 24),
            std::string("Sqlite Database Handler\0", 24));
  api.qvInitPlugIn(5, &title, &author, &description);  // the old blocks are freed (LeakSanitizer)
  EXPECT_STREQ(reinterpret_cast<const char *>(title), "KivSQLite 3 1.0");
  for (HostTextSlot slot : {title, author, description})
    host::FreeHostBlock(reinterpret_cast<void *>(slot));
}

TEST(EditAction, AnswersOneForTheFourActionsOnly) {
  const auto &api = test::Module();
  for (int n : {1, 2, 3, 4}) EXPECT_EQ(api.qvEditAction(n, 0), 1);
  for (int n : {0, 5, -1}) EXPECT_EQ(api.qvEditAction(n, 0), 0);
  EXPECT_EQ(api.qvEditAction(1, 12345), 1);  // the second value is never touched
}

TEST(OtherExports, MakeNoCallbackToTheHost) {
  const auto &api = test::Module();
  TheHostRecord().actions.clear();
  test::ForgetSets();
  api.qvMessage(1, 2);
  api.qvMessage(-7, 0);
  api.qvRegisterScriptProcessor(99);
  api.qvRegisterInterfaceAccess(98);
  EXPECT_TRUE(TheHostRecord().actions.empty());
  EXPECT_TRUE(TheHostRecord().sets.empty());
}

class ExecAction : public test::TestFolder {};

TEST_F(ExecAction, UnknownNumbersReturnZeroAndHandNothingBack) {
  test::Module();
  for (int n : {0, 5, -1, 9}) {
    test::ForgetSets();
    EXPECT_EQ(test::RunAction(n, Path("x.db") + "|CREATE TABLE t(a)|res"), 0);
    EXPECT_TRUE(TheHostRecord().sets.empty());
  }
  EXPECT_FALSE(test::Exists(Path("x.db")));
}

TEST_F(ExecAction, EveryActionHandsBackExactlyOnceEvenForEmptyText) {
  for (int n : {1, 2, 3, 4}) {
    test::ForgetSets();
    EXPECT_EQ(test::RunAction(n, ""), 1);
    ASSERT_EQ(TheHostRecord().sets.size(), 1u) << n;
    EXPECT_FALSE(TheHostRecord().sets[0].name.has_value()) << "a null name for a missing field";
    test::ForgetSets();
    const char *none = nullptr;
    EXPECT_EQ(test::Module().qvExecAction(n, &none), 1);
    EXPECT_EQ(TheHostRecord().sets.size(), 1u) << n;
  }
}

TEST_F(ExecAction, AnswerGoesToTheLastFieldOfTheTemplate) {
  test::ForgetSets();
  test::RunAction(3, Path("d") + "|t|c|1|" + Path("f") + "|six| \t");  // blank fields after it
  ASSERT_EQ(TheHostRecord().sets.size(), 1u);
  EXPECT_EQ(TheHostRecord().sets[0].name, "six");
  test::ForgetSets();
  test::RunAction(1, Path("a.db") + "|SELECT 1|res|");
  EXPECT_EQ(TheHostRecord().sets[0].name, "res");
  EXPECT_EQ(TheHostRecord().sets[0].value, "Ok");
}

TEST_F(ExecAction, TextCutByABarInsideAFieldRunsNothingAndAnswersTheVariableMeant) {
  test::WriteBytes(Path("f"), "file");
  const std::string db = Path("d.db");
  const std::pair<std::string, std::string> cut[] = {
      {"1|" + db + "|UPDATE t SET a = 0 | 4 WHERE id = 1|r", "Error: unable to execute Querry"},
      // No variable field: the one after the "|" holds a blank inside, as no name does.
      {"1|" + db + "|UPDATE t SET a = 0 |r WHERE id = 1|", "Error: unable to execute Querry"},
      {"1|" + db + "|DELETE FROM t; SELECT 'a|r'", "Error: unable to execute Querry"},
      {"2|" + db + "|DELETE FROM t -- old|r\nWHERE id = 3",
       "Error: a '|' cut the SQL text; nothing was run"},
      {"2|" + db + "|SELECT 'x' || 'y'|r", "Error: a '|' cut the SQL text; nothing was run"},
      {"2|" + db + "|DELETE FROM t; SELECT 'a|r'",
       "Error: a '|' cut the SQL text; nothing was run"},
      {"3|" + db + "|t|c|1|" + Path("f") + "||r|", "BLOB SELECT Error"},
      {"4|" + db + "|t|c|1|" + Path("f") + "|x|r", "BLOB Update Error"}};
  for (const auto &[text, answer] : cut) {
    test::ForgetSets();
    test::RunAction(text[0] - '0', text.substr(2));
    ASSERT_EQ(TheHostRecord().sets.size(), 1u) << text;
    EXPECT_EQ(TheHostRecord().sets[0].name.value_or("").substr(0, 1), "r") << text;
    EXPECT_EQ(TheHostRecord().sets[0].value, answer) << text;
  }
  EXPECT_FALSE(test::Exists(db)) << "nothing is opened";
  EXPECT_EQ(test::ReadBytes(Path("f")), "file");
}

TEST_F(ExecAction, ActionFunctionsCanBeCalledDirectlyAndReturnNull) {
  const auto &api = test::Module();
  test::ForgetSets();
  EXPECT_EQ(api.QX_SQLITE_CMD((Path("a.db") + "|CREATE TABLE t(a)|r").c_str()), nullptr);
  EXPECT_EQ(api.QX_SQLITE_SELECT(nullptr), nullptr);
  EXPECT_EQ(api.QX_SQLITE_BLOB_GET(nullptr), nullptr);
  EXPECT_EQ(api.QX_SQLITE_BLOB_PUT(nullptr), nullptr);
  EXPECT_EQ(TheHostRecord().sets.size(), 4u);
  EXPECT_EQ(TheHostRecord().sets[0].value, "Ok");
}

}  // namespace
}  // namespace kiv
