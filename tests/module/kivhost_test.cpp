// kivhost as authors and benchmarks call it: the command line, its output and exit status;
// and README, whose every example kivhost must answer as it shows.
#include <gtest/gtest.h>

#include <iconv.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

#include "host/console_pieces.h"
#include "support/sqlite_probe.h"  // sqlite3.h: the version the module must report
#include "support/test_folder.h"

namespace kiv {
namespace {

using namespace std::string_literals;

struct Outcome {
  int status;
  std::string out;
};

class Kivhost : public test::TestFolder {
 protected:
  // Runs kivhost with `args` (already quoted for the shell), in the test's folder or its
  // subfolder `sub`; standard error is dropped unless `args` redirects it.
  Outcome Run(const std::string &args, const std::string &sub = ".") {
    const bool errors = args.find("2>&1") != std::string::npos;
    const std::string command = "cd '" + (folder_ / sub).string() + "' && " + KIVHOST_PATH + " " +
                                args + (errors ? "" : " 2>/dev/null");
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
  const std::string info =
      "title: KivSQLite 3 1.0\nauthor: KivSQLite3 developers\ndescription: Sqlite Database "
      "Handler\nmodule: " +
      bin + "/libKivSQLite3.so\nengine: " + bin + "/libsqlite3.so (SQLite " SQLITE_VERSION ")\n";
  EXPECT_EQ(Run("info").out, info);
  // A module named by a relative path is loaded, and named, by its full path.
  const auto relative = std::filesystem::relative(bin + "/libKivSQLite3.so", folder_);
  EXPECT_EQ(Run("--module " + relative.string() + " info").out, info);
}

TEST_F(Kivhost, RunPrintsVariablesAndRawWritesTheBytes) {
  test::RunSql(Path("test.db"),
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
  EXPECT_EQ(Run("run 1 '" + Path("test.db") + "|SELECT 1'").out, "(no variable) = Ok\n");
}

TEST_F(Kivhost, RepeatRunsTheActionManyTimesAndShowsTheLast) {
  test::RunSql(Path("r.db"), "CREATE TABLE t(a)");
  const Outcome out = Run("run --repeat 25 1 '" + Path("r.db") + "|INSERT INTO t VALUES(1)|res'");
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(out.out, "res = Ok\n");
  EXPECT_EQ(test::Scalar(Path("r.db"), "SELECT count(*) FROM t"), "25");
}

TEST_F(Kivhost, RefusedActionsExitOneAndUsageErrorsTwoEachWithItsMessage) {
  const std::string run = "kivhost run [--raw] [--repeat N] [--retry N] ACTION PARAMETERS";
  const std::string help = " (kivhost help shows the commands)\n";
  const std::string refused = " and refused it; its actions are 1 to 4 (kivhost list shows them)\n";
  const std::pair<std::string, std::string> cases[] = {
      // {arguments, message}; exit 1 or 2
      {"run 0 x", "the plug-in has no action 0" + refused},
      {"run -1 x", "the plug-in has no action -1" + refused},
      {"run 9 x", "the plug-in has no action 9" + refused},
      {"", "no command given" + help},
      {"frobnicate", "unknown command frobnicate" + help},
      {"run", "run needs ACTION: " + run + help},
      {"run 2", "run needs PARAMETERS: " + run + help},  // no PARAMETERS: nothing runs
      {"run NoSuchAction x", "unknown action NoSuchAction" + help},
      {"run --repeat 0 1 x", "--repeat needs N, a count of 1 or more" + help},
      {"run --repeat", "--repeat needs N, a count of 1 or more" + help},
      {"run --bogus 1 x", "unknown option --bogus for run" + help},
      {"run 1 x y", "too many arguments for run: " + run + help},
      {"list extra", "too many arguments for list: kivhost list" + help},
      {"script .", "cannot read script .: it is a folder\n"},
      {"--module /nonexistent/lib.so list",
       "cannot load the plug-in /nonexistent/lib.so: /nonexistent/lib.so: cannot open shared "
       "object file: No such file or directory\n"}};
  for (const auto &[args, message] : cases) {
    const Outcome out = Run(args + " 2>&1");
    EXPECT_EQ(out.status, message.find("refused it") != std::string::npos ? 1 : 2) << args;
    EXPECT_EQ(out.out, "kivhost: " + message) << args;
  }
  EXPECT_EQ(Run("list > /dev/full").status, 2);  // output that cannot be written
}

TEST_F(Kivhost, ScriptsInEveryEncodingAndLineEndRunAsTheHostHoldsThem) {
  std::string unicode = "\xFF\xFE";  // "Unicode" as Notepad saves it: UTF-16 with its mark
  for (const char c : std::string("2 e.db|SELECT hex('\xE9')|r\r\n")) unicode += {c, '\0'};
  const std::pair<std::string, std::string> scripts[] = {
      {"1 e.db|CREATE TABLE IF NOT EXISTS t(v)|r\r2 e.db|SELECT 1|r\r\x1A", "r = Ok\nr = 1\\r\n"},
      {unicode, "r = C3A9\\r\n"},            // UTF-8 is the host's text on Linux
      {unicode.substr(2), "r = C3A9\\r\n"},  // without its mark
      {"2 e.db|SELECT 1|r\n\x1A\n2 e.db|SELECT 2|r\n", "r = 1\\r\n"},  // the text ends
      {"2 e.db|SELECT '[nosuch]'|r\n", "r = [nosuch]\\r\n"}};
  for (const auto &[script, shown] : scripts) {
    test::WriteBytes(Path("e.txt"), script);
    for (const char *from : {"script e.txt", "script - < e.txt"}) {
      const Outcome out = Run(from);
      EXPECT_EQ(out.status, 0) << from << ": " << script;
      EXPECT_EQ(out.out, shown) << from << ": " << script;
    }
  }
  EXPECT_NE(Run("script e.txt 2>&1").out.find("e.txt:1: warning: no variable [nosuch] is set"),
            std::string::npos);
  EXPECT_NE(Run("script nosuch.txt 2>&1").out.find("nosuch.txt: No such file"), std::string::npos);
  // A Ctrl-Z inside a line would leave its front half, which runs nothing of it.
  test::WriteBytes(Path("e.txt"),
                   "2 e.db|SELECT 1|r\n1 e.db|DELETE FROM t WHERE v > 5\x1A AND 1|r\n");
  const Outcome cut = Run("script e.txt 2>&1");
  EXPECT_EQ(cut.status, 2);
  EXPECT_EQ(cut.out,
            "r = 1\\r\nkivhost: e.txt:2: a Ctrl-Z (MS-DOS's end mark) inside the line "
            "ends the text there; nothing of the line is run\n");
}

TEST(ConsolePieces, LongTextGoesInPiecesThatSplitNoCharacter) {
  // 200 KB of text with a surrogate pair (one character) astride every piece boundary.
  std::u16string text(200000, u'a');
  for (std::size_t at = host::kConsolePieceUnits - 1; at + 1 < text.size();
       at += host::kConsolePieceUnits - 1)
    text.replace(at, 2, u"\U0001F600");
  for (std::size_t done = 0, piece = 0; done < text.size(); done += piece) {
    piece = host::ConsolePiece(std::u16string_view(text).substr(done));
    ASSERT_TRUE(piece > 0 && piece <= host::kConsolePieceUnits) << done;
    ASSERT_FALSE(text[done + piece - 1] >= 0xD800 && text[done + piece - 1] <= 0xDBFF) << done;
  }
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
                       Path("s.db") +
                       "|SELECT group_concat(a, ',') FROM t WHERE [a] <> ''|r4\n"
                       // [[ keeps SQL's bracket quoting; a record set keeps its CR, as
                       // the host's variable does, so this finds no row (with a warning)
                       "2 " +
                       Path("s.db") + "|SELECT [[a] FROM t WHERE a = '[r2]'|r5\n");
  const Outcome out = Run("script '" + Path("s.txt") + "'");
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(out.out, "r1 = Ok\nr2 = v1\\r\nr3 = Ok\nr4 = v1,Ok\\r\nr5 = \n");
}

TEST_F(Kivhost, HelpVersionAndARefusedActionExplainThemselves) {
  for (const char *help : {"--help", "-h", "help", "'/?'"}) {
    const Outcome out = Run(help);
    EXPECT_EQ(out.status, 0) << help;
    for (const char *part :
         {"usage: kivhost [--module PATH] COMMAND", "script [--echo] [--retry N] FILE",
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
  // Control bytes are shown escaped, and a backslash as two: C:\new is no line break.
  EXPECT_EQ(Run(R"(run 2 ":memory:|SELECT 'C:\new'|r")").out, "r = C:\\\\new\\r\n");
}

TEST_F(Kivhost, ScriptSkipsBomAndBlanksReadsStandardInputAndGoesOnAfterBadLines) {
  test::WriteBytes(Path("s.txt"),
                   "\xEF\xBB\xBF  1\ts.db|CREATE TABLE t(a)|r1\r\n"  // as Notepad saves it
                   "\tfrobnicate s.db|x|r\n"                         // a bad line
                   "9 s.db|x|r\n"                                    // an action the plug-in lacks
                   "1 s.db|INSERT INTO t VALUES(1)\0; DROP TABLE t|r\n"  // the host ends it at NUL
                   "2  s.db|SELECT count(*) FROM t|r2\n"s);
  const Outcome out = Run("script s.txt --echo");
  EXPECT_EQ(out.status, 2);
  EXPECT_EQ(out.out,
            "> 1\ts.db|CREATE TABLE t(a)|r1\nr1 = Ok\n> frobnicate s.db|x|r\n> 9 s.db|x|r\n"
            "> 1 s.db|INSERT INTO t VALUES(1)\0; DROP TABLE t|r\n"
            "> 2  s.db|SELECT count(*) FROM t|r2\nr2 = 0\\r\n"s);
  EXPECT_NE(Run("script s.txt 2>&1").out.find("s.txt:4: the line holds a NUL byte"),
            std::string::npos);
  const Outcome piped = Run("script - < s.txt 2>&1");
  EXPECT_NE(piped.out.find("standard input:2: unknown action frobnicate"), std::string::npos)
      << piped.out;
  EXPECT_NE(piped.out.find("r2 = 0\\r"), std::string::npos) << piped.out;
}

TEST_F(Kivhost, SlipsTheHostWouldNotSeeAreWarnedOfAndTheActionsRunAsTheyStand) {
  test::RunSql(Path("s.db"),
               "CREATE TABLE t(id INTEGER PRIMARY KEY, c); INSERT INTO t VALUES(1, 'x')");
  test::WriteBytes(Path("p.png"), "png");
  const std::pair<std::string, std::string> slips[] = {
      {"run 3 's.db|t|c|l|r2.png|ok'",
       "[RowID] \"l\" is not a number: the plug-in reads the number it starts with"},
      {"run 4 's.db|t|c||p.png|ok'", "[RowID] is empty: it reads as row 0"},
      {"run 4 's.db|t|c|7|p.png|ok'", "no row of table \"t\" has row id 7, so nothing was stored"},
      {"run 3 's.db|t|c|7|e.png|ok'", "no row of table \"t\" has row id 7, so the file is empty"},
      {"run 3 's.db|t|c|1|no/x.png|ok'", "there is no folder \"" + Path("no/") + "\" to write"},
      {"run 2 's.db|SELECT 1|my var'",
       "return_variable \"my var\" holds a blank, tab, line break or comment marker inside it"},
      {"run 1 'C:\\Demo\\s.db|SELECT 1|ok'",
       "[Database] \"C:\\\\Demo\\\\s.db\" is a Windows path, which this system reads as a name"},
      {"run 1 's.db|SELECT 1| ok'", "return_variable \" ok\" begins or ends with a blank"},
      {"run 1 's.db |SELECT 1|ok'", "[Database] \"s.db \" begins or ends with a blank"},
      {"run 2 '[s.db]|SELECT 1|v'", "[Database] \"[s.db]\" is written in brackets"},
      {"run 4 's.db|t|c|1|pics/none.png|ok'",
       "there is no file \"" + Path("pics/none.png") + "\" to read"}};
  for (const auto &[command, warning] : slips) {
    const Outcome out = Run(command + " 2>&1");
    EXPECT_EQ(out.status, 0);
    EXPECT_NE(out.out.find("kivhost: warning: " + warning), std::string::npos) << out.out;
  }
  EXPECT_TRUE(test::Exists(Path("[s.db]")) && test::Exists(Path("s.db ")));  // as the host would
  // A record set's CR, kept in [name] as the host keeps it, inside a quoted text.
  // Answers and warnings come in the order they happen; README's way of stripping the CR
  // is quiet.
  test::WriteBytes(Path("q.txt"),
                   "2 s.db|SELECT 'Ann'|who\n2 s.db|SELECT '[who]' = 'Ann'|same\n"
                   "2 s.db|SELECT rtrim('[who]', char(13)) = 'Ann'|same\n");
  EXPECT_EQ(Run("script q.txt 2>&1").out,
            "who = Ann\\r\nkivhost: q.txt:2: warning: [who] ends in a CR (a record set's row end, "
            "which the host's variable keeps too), and the quoted text holds it: remove it first "
            "(README, Recipes: \"Using an answer in the next action\")\nsame = 0\\r\n"
            "same = 1\\r\n");
}

// README's examples, in order: in every fenced block from the README test's marker on,
// each line that starts with "kivhost " (a command line) or with an action number and
// a blank (a script line) is a command, and the lines after it are what kivhost shows
// for the host's text; lines after "# on Linux: " what it shows there instead.
struct Example {
  std::string command;
  std::string shown;
  std::string onLinux;  // what kivhost shows with UTF-8 text, where that differs
  bool underLock;       // its block also runs while another program holds a write lock
};

// `utf8` as the host sends it on Windows, in code page 1252.
std::string AsWindows1252(std::string utf8) {
  std::string out(utf8.size(), '\0');
  char *in = utf8.data(), *to = out.data();
  std::size_t inLeft = utf8.size(), outLeft = out.size();
  const iconv_t convert = iconv_open("CP1252", "UTF-8");
  EXPECT_NE(iconv(convert, &in, &inLeft, &to, &outLeft), static_cast<std::size_t>(-1)) << utf8;
  iconv_close(convert);
  return out.substr(0, out.size() - outLeft);
}

std::vector<Example> ReadmeExamples(const std::string &readme) {
  std::vector<Example> examples;
  std::istringstream lines(readme.substr(readme.find("<!-- README test: every block")));
  bool inBlock = false;
  bool lockMarked = false;
  std::size_t blockStart = 0;
  for (std::string line; std::getline(lines, line) && line.rfind("## For developers", 0) != 0;) {
    lockMarked |= line.rfind("<!-- README test: this block also runs", 0) == 0;
    if (line.rfind("```", 0) == 0) {
      inBlock = !inBlock;
      blockStart = examples.size();
      lockMarked &= inBlock;
    } else if (inBlock && (line.rfind("kivhost ", 0) == 0 || (line.size() > 2 && line[0] >= '1' &&
                                                              line[0] <= '4' && line[1] == ' '))) {
      examples.push_back({line, "", "", lockMarked});
    } else if (inBlock && examples.size() > blockStart && line.rfind("# on Linux: ", 0) == 0) {
      examples.back().onLinux += line.substr(12) + "\n";
    } else if (inBlock && examples.size() > blockStart) {
      examples.back().shown += line + "\n";
    }
  }
  return examples;
}

// A process that holds a write lock on `db` for `seconds`, from the moment this returns.
pid_t HoldWriteLock(const std::string &db, int seconds) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t holder = fork();
  if (holder == 0) {
    test::Connection connection(db);
    if (!connection.Exec("BEGIN EXCLUSIVE") || write(ready[1], "y", 1) != 1) _exit(1);
    sleep(static_cast<unsigned>(seconds));
    _exit(0);
  }
  char locked = 'n';
  EXPECT_TRUE(read(ready[0], &locked, 1) == 1 && locked == 'y') << "no lock was taken";
  close(ready[0]);
  close(ready[1]);
  return holder;
}

// Blanks that end a line are not compared (an editor may take them away).
std::string WithoutTrailingBlanks(std::string text) {
  for (std::size_t at; (at = text.find(" \n")) != std::string::npos;) text.erase(at, 1);
  return text;
}

TEST_F(Kivhost, EveryReadmeExampleGivesTheAnswerItShowsInOrder) {
  test::WriteBytes(Path("apples.jpg"), test::RandomBytes(30000, 4));  // "any picture"
  std::filesystem::create_directory(Path("ansi"));
  std::filesystem::copy(Path("apples.jpg"), Path("ansi/apples.jpg"));
  // Runs one example as an author would, in the test's folder or `sub`.
  auto run = [&](const std::string &command, const std::string &sub = ".") {
    if (command.rfind("kivhost ", 0) == 0)
      return WithoutTrailingBlanks(Run(command.substr(8), sub).out);
    test::WriteBytes(Path(sub + "/line.txt"), command + "\n");
    return WithoutTrailingBlanks(Run("script line.txt", sub).out);
  };
  int examples = 0;
  int retries = 0;
  for (Example example : ReadmeExamples(test::ReadBytes(README_PATH))) {
    // Also in order and afresh in ansi/, with the text as the host sends it on Windows
    // (the Linux kivhost passes the bytes unchanged, as the plug-in does on Windows).
    EXPECT_EQ(run(AsWindows1252(example.command), "ansi"),
              AsWindows1252(WithoutTrailingBlanks(example.shown)))
        << example.command << " (as Windows-1252)";
    example.shown =
        WithoutTrailingBlanks(example.onLinux.empty() ? example.shown : example.onLinux);
    EXPECT_EQ(run(example.command), example.shown) << example.command;
    ++examples;
    if (!example.underLock) continue;
    // Once more while another program holds a write lock for 2 s, following README's
    // advice for the BLOB actions: while one answers its error, wait 100 ms and retry.
    const pid_t holder = HoldWriteLock(Path("shop.db"), 2);
    std::string shown = run(example.command);
    for (int n = 1; n < 50 && (shown.find(" = BLOB SELECT Error") != std::string::npos ||
                               shown.find(" = BLOB Update Error") != std::string::npos);
         ++n, ++retries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      shown = run(example.command);
    }
    EXPECT_EQ(shown, example.shown) << example.command << " under a lock";
    waitpid(holder, nullptr, 0);
  }
  EXPECT_GT(retries, 0) << "the lock was not felt";
  EXPECT_GT(examples, 40);
  EXPECT_TRUE(test::ReadBytes(Path("apples-copy.jpg")) == test::ReadBytes(Path("apples.jpg")));
}

// The lines of `text` that start with `mark`, less the mark and blanks at their ends.
std::string MarkedLines(const std::string &text, const std::string &mark) {
  std::istringstream lines(text);
  std::string out;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(mark, 0) != 0) continue;
    line.erase(0, mark.size());
    out += line.erase(line.find_last_not_of(' ') + 1) + "\n";
  }
  return out;
}

TEST_F(Kivhost, EveryExampleScriptGivesTheAnswersItShows) {
  std::filesystem::copy(EXAMPLES_PATH, folder_ / "examples");  // as unpacked from the zip
  int scripts = 0;
  for (const auto &entry : std::filesystem::directory_iterator(EXAMPLES_PATH)) {
    if (entry.path().extension() != ".txt") continue;
    const std::string name = "examples/" + entry.path().filename().string();
    const Outcome out = Run("script " + name + " 2>&1");
    EXPECT_EQ(out.status, 0) << name;
    EXPECT_EQ(MarkedLines(out.out, ""),  // every line, less the blanks at its end
              MarkedLines(test::ReadBytes(Path(name)), "#> "))
        << name;
    ++scripts;
  }
  EXPECT_GT(scripts, 0) << "no example script found in " << EXAMPLES_PATH;
  EXPECT_TRUE(test::ReadBytes(Path("apple-copy.png")) ==
              test::ReadBytes(Path("examples/apple.png")));
}

TEST(ReadmeTxt, IsPlainTextThatNotepadShowsAsWritten) {
  const std::string text = test::ReadBytes(README_TXT_PATH);
  ASSERT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with a byte order mark";
  std::istringstream lines(text.substr(3));
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    ASSERT_FALSE(line.empty() || line.back() != '\r') << "line " << number << " lacks CR LF";
    line.pop_back();
    std::size_t columns = 0;
    for (const char c : line) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    EXPECT_LE(columns, 80u) << "line " << number << ": " << line;
    for (const char *mark : {"**", "`", "|---", "<!--", "](", "## ", "README.md"})
      EXPECT_EQ(line.find(mark), std::string::npos) << "line " << number << ": " << line;
  }
  EXPECT_GT(number, 300);
}

}  // namespace
}  // namespace kiv
