// kiv_win32_limits.exe: measures, in a 32-bit process that is not large-address-aware
// (2 GB of address space), the largest BLOB put, BLOB get and query record set that the
// plug-in carries, and shows the answer of the next size up: an answer text, not a crash.
// A host of its own that keeps only the size and start of each answer, so that what is
// measured is the module, not a host's copy. `make limits-win32` runs it under Wine.
//   kiv_win32_limits.exe [MODULE]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host/module_api.h"

namespace {

std::size_t answerSize = 0;
char answerStart[48];

int32_t KIV_CALL KeepAnswer(const char *, const char *value) {
  answerSize = value != nullptr ? std::strlen(value) : 0;
  std::snprintf(answerStart, sizeof answerStart, "%s", value != nullptr ? value : "");
  for (char &c : answerStart) c = c == '\r' ? ' ' : c;
  return 1;
}

int32_t KIV_CALL IgnoreAction(int32_t, const char *, const char *, const char *, int32_t, int32_t) {
  return 1;
}

kiv::host::ModuleApi api;
std::string folder;

bool Run(int action, const std::string &params) {
  answerSize = 0;
  answerStart[0] = '\0';
  const char *text = params.c_str();
  return api.qvExecAction(action, &text) == 1;
}

// A file of `size` bytes; its content does not matter (zeros), so it is only extended.
bool MakeFile(const std::string &name, unsigned long long size) {
  const HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  const bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return made;
}

// One trial of `mib` MiB: true when the action carried it whole.
using Trial = bool (*)(unsigned long long bytes);

bool Put(unsigned long long bytes) {
  const std::string source = folder + "source.bin";
  return MakeFile(source, bytes) && Run(4, folder + "limits.db|t|b|1|" + source + "|r") &&
         std::string(answerStart) == "Ok";
}

bool Get(unsigned long long bytes) {
  const std::string target = folder + "target.bin";
  Run(1,
      folder + "limits.db|UPDATE t SET b = zeroblob(" + std::to_string(bytes) + ") WHERE id = 1|r");
  if (std::string(answerStart) != "Ok") {
    std::printf("    (the value of %llu bytes could not be stored: %s)\n", bytes, answerStart);
    return false;
  }
  if (!Run(3, folder + "limits.db|t|b|1|" + target + "|r") || std::string(answerStart) != "Ok")
    return false;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data) &&
         (static_cast<unsigned long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) == bytes;
}

// A record set of `bytes` / 1 MiB rows of 1 MiB each (a value is cut at 16 MiB, so one
// large value would not show the limit of the record set).
bool Query(unsigned long long bytes) {
  const std::string rows = std::to_string(bytes >> 20);
  return Run(2, folder +
                    "limits.db|WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c "
                    "WHERE n < " +
                    rows + ") SELECT printf('%.*c', 1048575, 'x') FROM c|r") &&
         answerSize == bytes;
}

// Doubles from 16 MiB until a trial fails, then halves the gap down to 8 MiB; prints
// each trial. Returns the largest size carried, in MiB.
unsigned long long Measure(const char *name, Trial trial) {
  unsigned long long good = 0;
  unsigned long long bad = 0;
  for (unsigned long long mib = 16; mib <= 4096 && bad == 0; mib *= 2) {
    const DWORD start = GetTickCount();
    const bool ok = trial(mib << 20);
    std::printf("  %-6s %5llu MiB: %-4s %-40s %6.1f s\n", name, mib, ok ? "ok" : "no", answerStart,
                (GetTickCount() - start) / 1000.0);
    std::fflush(stdout);
    (ok ? good : bad) = mib;
  }
  std::string last = answerStart;
  while (bad != 0 && bad - good > 8) {
    const unsigned long long mib = (good + bad) / 2 / 8 * 8;
    const DWORD start = GetTickCount();
    const bool ok = trial(mib << 20);
    std::printf("  %-6s %5llu MiB: %-4s %-40s %6.1f s\n", name, mib, ok ? "ok" : "no", answerStart,
                (GetTickCount() - start) / 1000.0);
    std::fflush(stdout);
    if (ok) {
      good = mib;
    } else {
      bad = mib;
      last = answerStart;
    }
  }
  std::printf("| %s | %llu MiB | %llu MiB: \"%s\" |\n", name, good, bad, last.c_str());
  std::fflush(stdout);
  return good;
}

}  // namespace

int main(int argc, char **argv) {
  const std::string module = argc > 1 ? argv[1] : kiv::host::DefaultModulePath();
  std::string error;
  if (!kiv::host::LoadModuleApi(module, api, error)) {
    std::fprintf(stderr, "kiv_win32_limits: cannot load %s: %s\n", module.c_str(), error.c_str());
    return 2;
  }
  api.qvRegisterPlugIn(&IgnoreAction, 0, 0, &KeepAnswer);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  folder = std::string(temp) + "kivlimits" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  Run(1, folder +
             "limits.db|CREATE TABLE t(id INTEGER PRIMARY KEY, b BLOB); INSERT INTO t VALUES(1, "
             "NULL)|r");
  std::printf("Limits of a 32-bit host without large-address awareness (module %s):\n",
              module.c_str());
  Measure("put", &Put);
  Measure("get", &Get);
  Measure("query", &Query);
  for (const char *name : {"limits.db", "limits.db-journal", "source.bin", "target.bin"})
    DeleteFileA((folder + name).c_str());
  RemoveDirectoryA(folder.c_str());
  return 0;
}
