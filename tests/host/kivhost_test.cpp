// kivhost as authors and benchmarks call it: the command line, its output and exit status.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <sstream>

#include "support/sqlite_probe.h"  // sqlite3.h: the version the module must report
#include "support/test_folder.h"

namespace kiv {
namespace {

struct Outcome {
  int status;
  std::string out;
};

class Kivhost : public test::TestFolder {
 protected:
  // Runs kivhost with `args` (already quoted for the shell), in the test's folder;
  // standard error is dropped unless `args` redirects it.
  Outcome Run(const std::string &args) {
    const bool errors = args.find("2>&1") != std::string::npos;
    const std::string command = "cd '" + folder_.string() + "' && " + KIVHOST_PATH + " " + args +
                                (errors ? "" : " 2>/dev/null");
    FILE *pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      out.append(buffer, got);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
  }
};

TEST_F(Kivhost, ListShowsTheFourActionsAsRegistered) {
  const Outcome list = Run("list");
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out,
            "1\tQX_SqLite_cmd\tACTIONPARAM_ALPHA\t1\tExecute SQL command WITHOUT Recordet ( "
            "Returns Ok or Error)"
            "\\r\\nQX_SqLite_cmd\"[Database]|[SQL_String]|return_variable\"\n"
            "2\tQX_SqLite_Select\tACTIONPARAM_ALPHA\t1\tExecute SQL command WITH Recordet"
            "\\r\\nQX_SqLite_Select\"[Database]|[SQL_String]|return_variable\"\n"
            "3\tQX_SqLite_BLOB_Get\tACTIONPARAM_ALPHA\t1\tGET Binary Data from a BLOB Field ( "
            "Returns Ok or Error)"
            "\\r\\nQX_SqLite_BLOB_Get\"[Database]|[TableName]|[FieldName]|[RowID]|[TargetFile]|"
            "return_variable\"\n"
            "4\tQX_SqLite_BLOB_Put\tACTIONPARAM_ALPHA\t1\tPUT Binary Data into a BLOB Field ( "
            "Returns Ok or Error)"
            "\\r\\nQX_SqLite_BLOB_Put\"[Database]|[TableName]|[FieldName]|[RowID]|[SourceFile]|"
            "return_variable\"\n");
}

TEST_F(Kivhost, InfoShowsTheIdentityTextsTheModuleAndItsEngine) {
  const std::string bin = std::filesystem::path(KIVHOST_PATH).parent_path().string();
  EXPECT_EQ(Run("info").out,
            "title: KivSQLite 3 1.0\nauthor: KivSQLite3 developers\ndescription: Sqlite Database "
            "Handler\nmodule: " +
                bin + "/libKivSQLite3.so\nengine: " + bin +
                "/libsqlite3.so (SQLite " SQLITE_VERSION ")\n");
}

TEST_F(Kivhost, RunPrintsVariablesAndRawWritesTheBytes) {
  test::Exec(Path("test.db"),
             "CREATE TABLE t(id, name, note); INSERT INTO t VALUES(1, 'ab', NULL);"
             "INSERT INTO t VALUES(2, 'p|q', ''); INSERT INTO t VALUES(3, NULL, 'x')");
  const std::string params =
      "'" + Path("test.db") + "|SELECT id, name, note FROM t ORDER BY id|res'";
  EXPECT_EQ(Run("run 2 " + params).out, "res = 1|ab|\\r2|p|q|\\r3||x\\r\n");
  const Outcome raw = Run("run --raw 2 " + params);
  EXPECT_EQ(raw.status, 0);
  EXPECT_EQ(raw.out, "1|ab|\r2|p|q|\r3||x\r");
  EXPECT_EQ(
      Run("run --raw QX_SqLite_Select '" + Path("test.db") + "|SELECT count(*) FROM t|res'").out,
      "3\r");
  EXPECT_EQ(Run("run --raw qx_sqlite_select '" + Path("test.db") + "|SELECT 1 WHERE 0|res'").out,
            "");
  EXPECT_EQ(Run("run 1 '" + Path("test.db") + "|SELECT 1'").out, "(null) = Ok\n");
}

TEST_F(Kivhost, RepeatRunsTheActionManyTimesAndShowsTheLast) {
  test::Exec(Path("r.db"), "CREATE TABLE t(a)");
  const Outcome out = Run("run --repeat 25 1 '" + Path("r.db") + "|INSERT INTO t VALUES(1)|res'");
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(out.out, "res = Ok\n");
  EXPECT_EQ(test::Scalar(Path("r.db"), "SELECT count(*) FROM t"), "25");
}

TEST_F(Kivhost, RefusedActionsExitOneAndUsageErrorsTwo) {
  for (const char *action : {"0", "5", "-1", "9"}) {
    const Outcome out = Run(std::string("run ") + action + " x");
    EXPECT_EQ(out.status, 1) << action;
    EXPECT_EQ(out.out, "") << action;
  }
  EXPECT_EQ(Run("").status, 2);
  EXPECT_EQ(Run("run").status, 2);
  EXPECT_EQ(Run("run NoSuchAction x").status, 2);
  EXPECT_EQ(Run("frobnicate").status, 2);
  EXPECT_EQ(Run("--module /nonexistent/lib.so list").status, 2);
  EXPECT_EQ(Run("run --repeat 0 1 x").status, 2);
}

TEST_F(Kivhost, ScriptRunsLinesAndSubstitutesVariables) {
  test::WriteBytes(Path("s.txt"),
                   "# a comment\n"
                   "QX_SqLite_cmd " +
                       Path("s.db") +
                       "|CREATE TABLE t(a); INSERT INTO t VALUES('v1')|r1\r\n"
                       "\n"
                       "2 " +
                       Path("s.db") +
                       "|SELECT a FROM t|r2\n"
                       "1 " +
                       Path("s.db") +
                       "|INSERT INTO t VALUES('[r1]')|r3\n"
                       "2 " +
                       Path("s.db") + "|SELECT group_concat(a, ',') FROM t WHERE [a] <> ''|r4\n");
  const Outcome out = Run("script '" + Path("s.txt") + "'");
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(out.out, "r1 = Ok\nr2 = v1\\r\nr3 = Ok\nr4 = v1,Ok\\r\n");
}

TEST_F(Kivhost, HelpVersionAndARefusedActionExplainThemselves) {
  for (const char *help : {"--help", "-h", "help"}) {
    const Outcome out = Run(help);
    EXPECT_EQ(out.status, 0) << help;
    for (const char *part : {"usage: kivhost [--module PATH] COMMAND", "script [--echo] FILE",
                             "4  QX_SqLite_BLOB_Put  [Database]|[TableName]|[FieldName]|[RowID]|"
                             "[SourceFile]|return_variable",
                             "exit status: 0"})
      EXPECT_NE(out.out.find(part), std::string::npos) << help << " lacks " << part;
  }
  const Outcome version = Run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("SQLite " SQLITE_VERSION), std::string::npos) << version.out;
  const Outcome refused = Run("run 9 x 2>&1");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out,
            "kivhost: the plug-in has no action 9 and refused it; its actions are 1 "
            "to 4 (kivhost list shows them)\n");
  // Only control bytes are shown escaped: a backslash stays one.
  EXPECT_EQ(Run(R"(run 2 ":memory:|SELECT 'C:\Data'|r")").out, "r = C:\\Data\\r\n");
}

TEST_F(Kivhost, ScriptSkipsBomAndBlanksReadsStandardInputAndGoesOnAfterBadLines) {
  test::WriteBytes(Path("s.txt"),
                   "\xEF\xBB\xBF  1\ts.db|CREATE TABLE t(a)|r1\r\n"  // as Notepad saves it
                   "\tfrobnicate s.db|x|r\n"                         // a bad line
                   "9 s.db|x|r\n"                                    // an action the plug-in lacks
                   "2  s.db|SELECT count(*) FROM t|r2\n");
  const Outcome out = Run("script --echo s.txt");
  EXPECT_EQ(out.status, 2);
  EXPECT_EQ(out.out,
            "> 1\ts.db|CREATE TABLE t(a)|r1\nr1 = Ok\n> frobnicate s.db|x|r\n> 9 s.db|x|r\n"
            "> 2  s.db|SELECT count(*) FROM t|r2\nr2 = 0\\r\n");
  const Outcome piped = Run("script - < s.txt 2>&1");
  EXPECT_NE(piped.out.find("standard input:2: unknown action frobnicate"), std::string::npos)
      << piped.out;
  EXPECT_NE(piped.out.find("r2 = 0\\r"), std::string::npos) << piped.out;
}

TEST_F(Kivhost, ReadmesFirstSessionGivesTheAnswersItShows) {
  // The lines between README's walkthrough markers: "C:\Demo> kivhost ARGS" and the
  // output kivhost shows for them.
  const std::string readme = test::ReadBytes(README_PATH);
  const std::size_t begin = readme.find("<!-- walkthrough:");
  const std::size_t end = readme.find("<!-- walkthrough end -->");
  ASSERT_NE(begin, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  std::istringstream lines(readme.substr(begin, end - begin));
  test::WriteBytes(Path("apples.jpg"), test::RandomBytes(30000, 4));  // "any picture"
  const std::string prompt = "C:\\Demo> kivhost ";
  std::string args, expected, line;
  int commands = 0;
  auto check = [&] {
    if (args.empty()) return;
    EXPECT_EQ(Run(args).out, expected) << args;
    ++commands;
  };
  while (std::getline(lines, line)) {
    if (line.rfind(prompt, 0) == 0) {
      check();
      args = line.substr(prompt.size());
      expected.clear();
    } else if (!args.empty() && line != "```") {
      expected += line + "\n";
    }
  }
  check();
  EXPECT_EQ(commands, 10);
  EXPECT_TRUE(test::ReadBytes(Path("apples-copy.jpg")) == test::ReadBytes(Path("apples.jpg")));
}

}  // namespace
}  // namespace kiv
