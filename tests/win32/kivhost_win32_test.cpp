// kivhost and the plug-in's engine under Windows' own rules: kivhost shows what the
// Linux kivhost shows and loads a plug-in named by a relative path by its full path, and
// sqlite3.dll comes only from trusted folders (beside the plug-in, beside the host
// program, the system folder), never from the current folder. A Windows process costs a
// minute or more under the emulator: kivhost.exe is started once, and the rest runs in
// this program, through kivhost's own code and a second copy of the plug-in.
#include <windows.h>

#include <gtest/gtest.h>

#include "host/commands.h"
#include "host/host_os.h"
#include "support/module_host.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

namespace fs = std::filesystem;

// What `program` with `args` (each quoted), run in `directory`, writes to its standard
// output and error, CR LF read as LF.
std::string RunProgram(const fs::path &program, const std::string &args,
                       const fs::path &directory) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = writeEnd;
  std::string command = program.string() + " " + args;
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             directory.string().c_str(), &startup, &process))
      << command;
  CloseHandle(writeEnd);
  std::string out;
  char buffer[4096];
  for (DWORD got = 0; ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0;)
    out.append(buffer, got);
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(readEnd);
  for (std::size_t at; (at = out.find("\r\n")) != std::string::npos;) out.erase(at, 1);
  return out;
}

class KivhostWin32 : public test::TestFolder {
 protected:
  // Written by the Linux kivhost (scripts/run-win32-tests.sh).
  static std::string Expected(const char *name) {
    return test::ReadBytes((fs::path(std::getenv("KIV_EXPECTED")) / name).string());
  }
  // The engine line of `kivhost info` for a copy of the plug-in in `folder`, beside
  // `engine` named sqlite3.dll (when given).
  std::string EngineLine(const char *folder, const fs::path &engine = {}) {
    fs::create_directory(folder_ / folder);
    const fs::path copy = folder_ / folder / "KivSQLite3.dll";
    fs::copy_file(plugIn_, copy);
    if (!engine.empty()) fs::copy_file(engine, folder_ / folder / "sqlite3.dll");
    host::ModuleApi api;
    std::string error;
    EXPECT_TRUE(host::LoadModuleApi(copy.string(), api, error)) << error;
    return "engine: " + host::DescribeEngine(copy.string(), api.module) + "\n";
  }
  const fs::path plugIn_ = std::getenv("KIV_MODULE");
  const fs::path engine_ = plugIn_.parent_path() / "sqlite3.dll";
};

TEST_F(KivhostWin32, ListsTheActionsAsTheLinuxKivhostDoes) {
  const host::ModuleApi &api = test::Module();  // registered on first use
  host::TheHostRecord().actions.clear();
  api.qvRegisterPlugIn(&host::RecordAction, 0, 0, &host::RecordVariable);
  EXPECT_EQ(host::RegisteredActionsText(), Expected("list.out"));
}

TEST_F(KivhostWin32, EngineComesOnlyFromTrustedFoldersNeverTheCurrentOne) {
  // A copy of the plug-in without sqlite3.dll, named by a relative path from a current
  // folder that has one: loaded by its full path, and that sqlite3.dll is not used.
  char here[MAX_PATH];
  char system[MAX_PATH];
  const fs::path hostFolder = host::ExecutableFolder();  // this program's: no sqlite3.dll
  EXPECT_EQ(EngineLine("bare"),
            "engine: none, so every action answers \"Error: unable to open database\"; tried " +
                Path("bare\\sqlite3.dll") + " (not found), " +
                (hostFolder / "sqlite3.dll").string() + " (not found), " +
                std::string(system, GetSystemDirectoryA(system, MAX_PATH)) +
                "\\sqlite3.dll (not found)\n");
  fs::create_directory(folder_ / "run");
  fs::copy_file(engine_, folder_ / "run" / "sqlite3.dll");
  GetCurrentDirectoryA(MAX_PATH, here);
  ASSERT_TRUE(SetCurrentDirectoryA(Path("run").c_str()));
  const std::string path = host::FullPath("..\\bare\\KivSQLite3.dll");
  host::ModuleApi bare;
  std::string error;
  const bool loaded = host::LoadModuleApi(path, bare, error);
  const char *params = "t.db|SELECT 1|r";
  if (loaded) bare.qvRegisterPlugIn(nullptr, 0, 0, &host::RecordVariable);
  if (loaded) bare.qvExecAction(2, &params);
  SetCurrentDirectoryA(here);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(path, Path("bare\\KivSQLite3.dll"));
  EXPECT_EQ(host::TheHostRecord().sets.back().value, "Error: unable to open database");

  // Where it is not used, info says why: not SQLite, or not a 32-bit DLL.
  test::WriteBytes(Path("junk"), std::string(4096, 'x'));
  EXPECT_NE(EngineLine("odd", plugIn_).find("odd\\sqlite3.dll (lacks sqlite3_open)"),
            std::string::npos);
  EXPECT_NE(EngineLine("junk-dll", Path("junk")).find("junk-dll\\sqlite3.dll (not a 32-bit DLL)"),
            std::string::npos);

  // kivhost.exe with sqlite3.dll beside it: the plug-in uses that one, and kivhost answers
  // what the Linux kivhost answers for the same script, saved as UTF-8 (in the ANSI code
  // page, as the host holds it); /? is its help.
  fs::create_directory(folder_ / "host");
  fs::copy_file(hostFolder / "kivhost.exe", folder_ / "host" / "kivhost.exe");
  fs::copy_file(engine_, folder_ / "host" / "sqlite3.dll");
  test::WriteBytes(Path("run\\script.txt"), Expected("script.txt"));
  EXPECT_EQ(RunProgram(folder_ / "host" / "kivhost.exe",
                       "--module ..\\bare\\KivSQLite3.dll script script.txt", folder_ / "run"),
            Expected("script.out"));
  EXPECT_EQ(RunProgram(folder_ / "host" / "kivhost.exe", "--module ..\\bare\\KivSQLite3.dll /?",
                       folder_ / "run"),
            Expected("help.out"));
}

TEST_F(KivhostWin32, ALetterABatchFileLostOnItsWayIsWarnedOf) {
  // cmd reads a .bat in the console's OEM code page: an "\xE9" saved as ANSI becomes a
  // letter the ANSI code page may lack, which Windows replaces on the way to kivhost.
  // The text is argument 5, after --module, its path, run and the action.
  fs::create_directory(folder_ / "host");
  fs::copy_file(host::ExecutableFolder() + "kivhost.exe", folder_ / "host" / "kivhost.exe");
  test::WriteBytes(Path("trap.bat"), "@\"" + (folder_ / "host" / "kivhost.exe").string() +
                                         "\" --module \"" + plugIn_.string() +
                                         "\" run 2 \"trap.db|SELECT hex('\xE9t\xE9')|v\"\r\n");
  const std::string out = RunProgram("cmd.exe", "/c trap.bat", folder_);
  EXPECT_NE(out.find("kivhost: warning: the command line changed a letter of argument 5"),
            std::string::npos)
      << out;
}

}  // namespace
}  // namespace kiv
