// kivhost's operating system on Windows: LoadLibraryA and GetProcAddress by the export
// names, GetModuleFileNameA for the program's folder, GlobalFree for host memory, the
// module's engine looked for as the module looks for it, standard output in binary mode
// so "\n" bytes are not turned into CR LF, and console output in pieces.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include "db/engine_functions.h"
#include "host/console_pieces.h"
#include "host/host_os.h"
#include "kivsqlite3.h"
#include "platform/libraries.h"

// The command line as it stands: no wildcard expansion by the C runtime ("/?", "*").
extern "C" {
int _dowildcard = 0;  // NOLINT
}

namespace kiv::host {

const char *const kModuleFileName = "KivSQLite3.dll";

namespace {

bool outputLost = false;  // a Print that did not reach its stream

// The folder of `path`, with its trailing separator; empty when it has none.
std::string FolderOf(const std::string &path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// Why the sqlite3.dll at `path` cannot serve the module, or empty when it can (`library`
// is then left loaded for the caller to describe and free).
std::string WhyNotUsable(const std::string &path, HMODULE &library) {
  library = nullptr;
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return "not found";
  library = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (library == nullptr) {
    const DWORD error = GetLastError();
    return error == ERROR_BAD_EXE_FORMAT ? "not a 32-bit DLL"
                                         : "cannot be loaded, error " + std::to_string(error);
  }
  std::string lacking;
#define KIV_CHECK_ENGINE_FUNCTION(name) \
  if (lacking.empty() && GetProcAddress(library, #name) == nullptr) lacking = "lacks " #name;
  KIV_ENGINE_FUNCTIONS(KIV_CHECK_ENGINE_FUNCTION)
#undef KIV_CHECK_ENGINE_FUNCTION
  if (!lacking.empty()) {
    FreeLibrary(library);
    library = nullptr;
  }
  return lacking;
}

std::string SqliteVersion(HMODULE library) {
  const auto version = reinterpret_cast<const char *(*)()>(
      reinterpret_cast<void *>(GetProcAddress(library, "sqlite3_libversion")));
  return version != nullptr ? version() : "?";
}

// Writes `wide` to the console in pieces; false when the console refused a piece, with
// `*shown` the units it took.
bool WriteConsolePieces(HANDLE console, std::u16string_view wide, std::size_t *shown) {
  *shown = 0;
  while (*shown < wide.size()) {
    const std::size_t piece = ConsolePiece(wide.substr(*shown));
    DWORD written = 0;
    if (!WriteConsoleW(console, wide.data() + *shown, static_cast<DWORD>(piece), &written,
                       nullptr) ||
        written == 0)
      return false;
    *shown += written;
  }
  return true;
}

bool WriteBytes(HANDLE handle, std::string_view bytes) {
  DWORD written = 0;
  return WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace

std::string FullPath(const std::string &path) {
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

void *LoadModule(const std::string &path, std::string &error) {
  // A full path: what the plug-in imports is looked for beside it first.
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) {
    error = "LoadLibraryExA failed with error " + std::to_string(GetLastError());
  }
  return reinterpret_cast<void *>(module);
}

void *FindExport(void *module, const char *name) noexcept {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

bool Utf8ToHostText(std::string &text) {
  // Where the ANSI code page is UTF-8 itself ("Use Unicode UTF-8 for worldwide language
  // support"), the host's text is UTF-8: nothing to convert, and WC_NO_BEST_FIT_CHARS
  // with a default-character flag would fail for it.
  if (text.empty() || GetACP() == CP_UTF8) return true;
  const int size = static_cast<int>(text.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), size);
  if (units <= 0) return false;
  std::string ansi(static_cast<std::size_t>(units) * 2, '\0');
  BOOL lacking = FALSE;
  const int length =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, ansi.data(),
                          static_cast<int>(ansi.size()), nullptr, &lacking);
  if (length <= 0 || lacking) return false;
  ansi.resize(static_cast<std::size_t>(length));
  text = std::move(ansi);
  return true;
}

std::string ExecutableFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return FolderOf(std::string(path, length));
}

std::string DescribeEngine(const std::string &modulePath, void *) {
  char system[MAX_PATH];
  const UINT systemLength = GetSystemDirectoryA(system, MAX_PATH);
  std::string tried;
  // The folders in the order the module tries them.
  for (const platform::LibraryFolder place : platform::kTrustedLibraryFolders) {
    std::string folder;
    const char *where = "";
    switch (place) {
      case platform::LibraryFolder::kModule:
        folder = FolderOf(modulePath);
        where = "beside the plug-in";
        break;
      case platform::LibraryFolder::kHostProgram:
        folder = ExecutableFolder();
        where = "beside the host program";
        break;
      case platform::LibraryFolder::kSystem:
        if (systemLength > 0 && systemLength < MAX_PATH)
          folder = std::string(system, systemLength) + "\\";
        where = "in the system folder";
        break;
    }
    if (folder.empty()) continue;
    const std::string path = folder + "sqlite3.dll";
    HMODULE library = nullptr;
    const std::string why = WhyNotUsable(path, library);
    if (why.empty()) {
      const std::string found = path + " (SQLite " + SqliteVersion(library) + "), " + where +
                                (tried.empty() ? std::string() : "; not used: " + tried);
      FreeLibrary(library);
      return found;
    }
    tried += (tried.empty() ? "" : ", ") + path + " (" + why + ")";
  }
  return "none, so every action answers \"Error: unable to open database\"; tried " + tried;
}

void FreeHostBlock(void *block) noexcept {
  if (block != nullptr) GlobalFree(reinterpret_cast<HGLOBAL>(block));
}

void UseBinaryStandardOutput() noexcept { _setmode(_fileno(stdout), _O_BINARY); }

void Print(std::FILE *stream, std::string_view text) {
  const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (text.empty()) return;
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
    // A file or a pipe: the bytes.
    if (std::fwrite(text.data(), 1, text.size(), stream) != text.size()) outputLost = true;
    return;
  }
  std::fflush(stream);
  std::u16string wide(text.size(), u'\0');
  const int count =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                          reinterpret_cast<wchar_t *>(wide.data()), static_cast<int>(wide.size()));
  wide.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
  std::size_t shown = 0;
  if (WriteConsolePieces(handle, wide, &shown)) return;
  // The console refused: what it did not show goes as bytes in the ANSI code page.
  const std::u16string_view rest = std::u16string_view(wide).substr(shown);
  std::string bytes(rest.size() * 2, '\0');
  const int length = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t *>(rest.data()),
                                         static_cast<int>(rest.size()), bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, nullptr);
  if (length <= 0 || !WriteBytes(handle, std::string_view(bytes.data(), length))) outputLost = true;
}

bool AllOutputShown() noexcept {
  return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 && !outputLost;
}

void PrepareProcess() noexcept { _setmode(_fileno(stdin), _O_BINARY); }

std::vector<int> ArgumentsChangedOnTheWay(int argc, char **argv) {
  // The command line as typed, in UTF-16, split as the C runtime split its ANSI copy
  // (CommandLineToArgvW, looked up at run time: kivhost imports nothing but KERNEL32.dll
  // and msvcrt.dll).
  using Split = LPWSTR *(WINAPI *)(LPCWSTR, int *);
  const HMODULE shell = LoadLibraryA("shell32.dll");
  const auto split = shell == nullptr ? nullptr
                                      : reinterpret_cast<Split>(reinterpret_cast<void *>(
                                            GetProcAddress(shell, "CommandLineToArgvW")));
  int count = 0;
  LPWSTR *wide = split != nullptr ? split(GetCommandLineW(), &count) : nullptr;
  std::vector<int> changed;
  for (int i = 1; wide != nullptr && count == argc && i < argc; ++i) {
    const int length = MultiByteToWideChar(CP_ACP, 0, argv[i], -1, nullptr, 0);
    std::wstring back(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, argv[i], -1, back.data(), length);
    if (lstrcmpW(back.c_str(), wide[i]) != 0) changed.push_back(i);
  }
  if (wide != nullptr) LocalFree(wide);
  if (shell != nullptr) FreeLibrary(shell);
  return changed;
}

const char *const kFolderSeparators = "\\/";

bool LooksLikeAnotherSystemsPath(const std::string &) { return false; }

bool FileExists(const std::string &name) {
  return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Typed ReadTypedLine(std::string &utf8) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) return Typed::kNotAConsole;
  std::wstring wide;
  for (;;) {
    wchar_t unit = 0;
    DWORD got = 0;
    if (!ReadConsoleW(input, &unit, 1, &got, nullptr) || got == 0) {
      if (wide.empty()) return Typed::kEnd;
      break;
    }
    if (unit == L'\n') break;
    wide += unit;
  }
  if (!wide.empty() && wide.back() == L'\r') wide.pop_back();
  utf8.assign(wide.size() * 3, '\0');
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                          static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return Typed::kLine;
}

}  // namespace kiv::host
