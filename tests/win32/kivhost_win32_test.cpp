// kivhost.exe and the plug-in's engine under Windows' own rules: kivhost shows what the
// Linux kivhost shows, loads a plug-in named by a relative path by its full path, and
// says where the engine comes from; and sqlite3.dll comes only from trusted folders
// (beside the plug-in, beside the host program, the system folder), never from the
// current folder. Each Windows process costs a minute or more under the emulator, so
// kivhost.exe is started once and the rest runs in this program, through the same
// kivhost code and a second copy of the plug-in.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/host_os.h"
#include "host/kivhost_commands.h"
#include "support/module_host.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

namespace fs = std::filesystem;

// Runs `program` with `args` (each quoted) in `directory`, as a console user would;
// returns its standard output and error, CR LF read as LF.
std::string RunProgram(const fs::path &program, const std::vector<std::string> &args,
                       const fs::path &directory) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  std::ostringstream line;
  line << '"' << program.string() << '"';
  for (const std::string &arg : args) line << " \"" << arg << '"';
  std::string command = line.str();
  PROCESS_INFORMATION process{};
  const bool started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      directory.string().c_str(), &startup, &process);
  CloseHandle(writeEnd);
  std::string out;
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
      out.append(buffer, got);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(readEnd);
  for (std::size_t at; (at = out.find("\r\n")) != std::string::npos;) out.erase(at, 1);
  EXPECT_TRUE(started) << command;
  return out;
}

// The folder of this program: the host program's folder, holding no sqlite3.dll.
fs::path HostFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(std::string(path, length)).parent_path();
}

class KivhostWin32 : public test::TestFolder {
 protected:
  void SetUp() override {
    TestFolder::SetUp();
    plugIn_ = fs::path(std::getenv("KIV_MODULE"));
    expected_ = fs::path(std::getenv("KIV_EXPECTED"));
    // A plug-in folder without sqlite3.dll, and a current folder that has one.
    for (const char *folder : {"bare", "run"}) fs::create_directory(folder_ / folder);
    fs::copy_file(plugIn_, folder_ / "bare" / "KivSQLite3.dll");
    fs::copy_file(Engine(), folder_ / "run" / "sqlite3.dll");
  }
  fs::path Engine() const { return plugIn_.parent_path() / "sqlite3.dll"; }
  std::string In(const char *folder, const char *file) const {
    return (folder_ / folder / file).string();
  }
  std::string Expected(const char *name) const {
    return test::ReadBytes((expected_ / name).string());
  }
  // The engine line of `kivhost info` for the plug-in at `path`.
  static std::string EngineLine(const std::string &path) {
    host::ModuleApi api;
    std::string error;
    EXPECT_TRUE(host::LoadModuleApi(path, api, &error)) << error;
    return "engine: " + host::DescribeEngine(path, api.module) + "\n";
  }
  fs::path plugIn_;
  fs::path expected_;
};

TEST_F(KivhostWin32, ListsTheActionsAsTheLinuxKivhostDoes) {
  host::TheHostRecord().actions.clear();
  test::Module().qvRegisterPlugIn(&host::RecordAction, 0, 0, &host::RecordVariable);
  EXPECT_EQ(host::ActionList(), Expected("list.out"));
}

TEST_F(KivhostWin32, EngineComesOnlyFromTrustedFoldersNeverTheCurrentOne) {
  char system[MAX_PATH];
  const std::string none =
      "engine: none, so every action answers \"Error: unable to open database\"; tried " +
      In("bare", "sqlite3.dll") + " (not found), " + (HostFolder() / "sqlite3.dll").string() +
      " (not found), " + std::string(system, GetSystemDirectoryA(system, MAX_PATH)) +
      "\\sqlite3.dll (not found)\n";
  // The second copy of the plug-in, named by a relative path from a current folder that
  // holds a sqlite3.dll: loaded by its full path, and the sqlite3.dll there is not used.
  char here[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, here);
  ASSERT_TRUE(SetCurrentDirectoryA(In("run", "").c_str()));
  const std::string path = host::FullPath("..\\bare\\KivSQLite3.dll");
  host::ModuleApi bare;
  std::string error;
  const bool loaded = host::LoadModuleApi(path, bare, &error);
  if (loaded) {
    bare.qvRegisterPlugIn(nullptr, 0, 0, &host::RecordVariable);
    const char *params = "t.db|SELECT 1|r";
    bare.qvExecAction(2, &params);
  }
  SetCurrentDirectoryA(here);
  ASSERT_TRUE(loaded) << error;
  EXPECT_EQ(path, In("bare", "KivSQLite3.dll"));
  EXPECT_EQ(host::TheHostRecord().sets.back().value, "Error: unable to open database");
  EXPECT_EQ(EngineLine(path), none);

  // kivhost.exe with sqlite3.dll beside it: the plug-in uses that one, and kivhost answers
  // what the Linux kivhost answers for the same script.
  fs::create_directory(folder_ / "host");
  fs::copy_file(HostFolder() / "kivhost.exe", folder_ / "host" / "kivhost.exe");
  fs::copy_file(Engine(), folder_ / "host" / "sqlite3.dll");
  test::WriteBytes(In("run", "script.txt"), Expected("script.txt"));
  EXPECT_EQ(
      RunProgram(folder_ / "host" / "kivhost.exe",
                 {"--module", "..\\bare\\KivSQLite3.dll", "script", "script.txt"}, folder_ / "run"),
      Expected("script.out"));
}

TEST_F(KivhostWin32, InfoSaysWhyASqlite3DllBesideThePlugInIsNotUsed) {
  test::WriteBytes(In("run", "junk"), std::string(4096, 'x'));
  const std::pair<fs::path, std::string> unusable[] = {
      {plugIn_, "lacks sqlite3_open"},  // a DLL, but not SQLite
      {folder_ / "run" / "junk", "not a 32-bit DLL"}};
  int copy = 0;
  for (const auto &[file, why] : unusable) {
    const fs::path folder = folder_ / ("unusable" + std::to_string(++copy));
    fs::create_directory(folder);
    fs::copy_file(plugIn_, folder / "KivSQLite3.dll");
    fs::copy_file(file, folder / "sqlite3.dll");
    const std::string line = EngineLine((folder / "KivSQLite3.dll").string());
    EXPECT_NE(line.find((folder / "sqlite3.dll").string() + " (" + why + ")"), std::string::npos)
        << line;
  }
}

}  // namespace
}  // namespace kiv
