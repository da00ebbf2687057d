// kivhost's operating system on Windows: LoadLibraryA and GetProcAddress by the export
// names, GetModuleFileNameA for the program's folder, GlobalFree for host memory, and
// standard output in binary mode so "\n" bytes are not turned into CR LF.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include "host/host_os.h"

namespace kiv::host {

const char *const kModuleFileName = "KivSQLite3.dll";

void *LoadModule(const std::string &path, std::string *error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr && error != nullptr) {
    *error = "LoadLibraryA failed with error " + std::to_string(GetLastError());
  }
  return reinterpret_cast<void *>(module);
}

void *FindExport(void *module, const char *name) noexcept {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

std::string ExecutableFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string folder(path, length);
  const auto cut = folder.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
}

namespace {

// "path (SQLite x.y.z)" for a loaded sqlite3.dll, or empty when it lacks a function the
// module needs.
std::string Describe(HMODULE library) {
  for (const char *name : {"sqlite3_open", "sqlite3_get_table", "sqlite3_free_table",
                           "sqlite3_errmsg", "sqlite3_close"}) {
    if (GetProcAddress(library, name) == nullptr) return {};
  }
  const auto version = reinterpret_cast<const char *(*)()>(
      reinterpret_cast<void *>(GetProcAddress(library, "sqlite3_libversion")));
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(library, path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : 0) + " (SQLite " +
         (version != nullptr ? version() : "?") + ")";
}

}  // namespace

std::string DescribeEngine(const std::string &modulePath, void *) {
  const auto cut = modulePath.find_last_of("\\/");
  const std::string beside =
      (cut == std::string::npos ? std::string() : modulePath.substr(0, cut + 1)) + "sqlite3.dll";
  std::string found;
  if (HMODULE library = LoadLibraryExA(beside.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
    found = Describe(library);
    FreeLibrary(library);
    if (!found.empty()) return found;
  }
  if (HMODULE library = LoadLibraryA("sqlite3.dll")) {
    found = Describe(library);
    FreeLibrary(library);
    if (!found.empty()) return found + ", found by Windows' search, not beside the module";
  }
  return "none: tried " + beside +
         " and Windows' search; every action answers \"Error: unable to open database\"";
}

void FreeHostBlock(void *block) noexcept {
  if (block != nullptr) GlobalFree(reinterpret_cast<HGLOBAL>(block));
}

void UseBinaryStandardOutput() noexcept { _setmode(_fileno(stdout), _O_BINARY); }

void Print(std::FILE *stream, std::string_view text) {
  const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode) || text.empty()) {
    std::fwrite(text.data(), 1, text.size(), stream);  // a file or a pipe: the bytes
    return;
  }
  std::fflush(stream);
  std::wstring wide(text.size(), L'\0');
  const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                        wide.data(), static_cast<int>(wide.size()));
  DWORD written = 0;
  WriteConsoleW(handle, wide.data(), static_cast<DWORD>(count > 0 ? count : 0), &written, nullptr);
}

void PrepareProcess() noexcept {}

}  // namespace kiv::host
