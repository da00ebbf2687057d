// The primitives that tell the database's own files on Windows: full UTF-16 paths
// (GetFullPathNameW, as SQLite makes them), identities (volume serial and file index)
// read through handles that ask for no access and share everything, and names compared
// as the file system compares them.
#include "platform/file_primitives.h"
#include "platform/os_calls.h"

namespace kiv::platform {
namespace {

// The full path of `name` read in `codePage`. False when it does not fit.
bool FullPath(UINT codePage, const char *name, NativePath &out) {
  wchar_t wide[kFileNameRoom];
  const int count =
      MultiByteToWideChar(codePage, 0, name, -1, wide, static_cast<int>(kFileNameRoom));
  if (count <= 0) return false;
  const DWORD length = os.GetFullPathNameW(wide, kFileNameRoom, out.text, nullptr);
  return length > 0 && length < kFileNameRoom;
}

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Where "::$DATA" (a file's main stream, in any letter case) ends `name`, or null.
wchar_t *MainStream(wchar_t *name) {
  constexpr wchar_t kStream[] = L"::$DATA";
  constexpr int kLength = 7;
  const int length = lstrlenW(name);
  if (length < kLength) return nullptr;
  wchar_t *end = name + length - kLength;
  for (int i = 0; i < kLength; ++i) {
    const wchar_t c = end[i] >= L'a' && end[i] <= L'z' ? end[i] - L'a' + L'A' : end[i];
    if (c != kStream[i]) return nullptr;
  }
  return end;
}

}  // namespace

bool TargetPath(const char *name, NativePath &path) noexcept {
  return FullPath(CP_ACP, name, path);
}

Found DatabasePath(const char *database, NativePath &path) noexcept {
  const std::string_view name(database);
  if (name.empty() || name == ":memory:") return Found::kMissing;
  char utf8[kFileNameRoom];
  return FileNameAsUtf8(name, utf8) && FullPath(CP_UTF8, utf8, path) ? Found::kYes
                                                                     : Found::kUnknown;
}

void AppendSuffix(NativePath &path, const char *suffix) noexcept {
  wchar_t *end = path.text + lstrlenW(path.text);
  while (*suffix != '\0') *end++ = static_cast<wchar_t>(*suffix++);
  *end = L'\0';
}

// Closing a handle that asks for no access releases no lock of anyone's (Windows keeps a
// lock with the handle that took it).
Found IdentityAt(const NativePath &path, FileIdentity &identity) noexcept {
  identity = FileIdentity();
  const DWORD attributes =
      os.GetFileAttributesW(path.text);  // never a device: opening one has effects
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return IsMissing(GetLastError()) ? Found::kMissing : Found::kUnknown;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return Found::kMissing;
  const HANDLE handle =
      os.CreateFileW(path.text, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return IsMissing(GetLastError()) ? Found::kMissing : Found::kUnknown;
  File file(reinterpret_cast<intptr_t>(handle), false);
  identity = IdentityOf(file);
  return identity.known ? Found::kYes : Found::kUnknown;
}

// The folder keeps a drive root's "\"; the name loses the "::$DATA" that names a file's
// main stream.
Found SplitAt(NativePath &path, NativePath &name, FileIdentity &folder) noexcept {
  wchar_t *slash = nullptr;
  for (wchar_t *c = path.text; *c != L'\0'; ++c) {
    if (*c == L'\\' || *c == L'/') slash = c;
  }
  name.text[0] = L'\0';
  if (slash != nullptr) {
    lstrcpynW(name.text, slash + 1, static_cast<int>(kNativePathRoom));
    if (wchar_t *stream = MainStream(name.text)) *stream = L'\0';
    slash[slash > path.text && slash[-1] == L':' ? 1 : 0] = L'\0';
  }
  return IdentityAt(path, folder);
}

// Ordinal, ignoring case by Unicode's simple upper-casing (CompareStringOrdinal, from
// Windows Vista on; on XP the invariant locale's upper-casing, which NTFS's own table
// follows), never the user's locale (a Turkish "i").
bool SameName(const NativePath &a, const NativePath &b) noexcept {
  using CompareOrdinal = int(WINAPI *)(LPCWSTR, int, LPCWSTR, int, BOOL);
  // Looked up each time: a function-local static would bring the C++ runtime's guards.
  const auto compare = reinterpret_cast<CompareOrdinal>(reinterpret_cast<void *>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CompareStringOrdinal")));
  if (compare != nullptr) return compare(a.text, -1, b.text, -1, TRUE) == CSTR_EQUAL;
  NativePath upperA;
  NativePath upperB;
  const int lengthA = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, a.text, -1, upperA.text,
                                   static_cast<int>(kNativePathRoom));
  const int lengthB = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, b.text, -1, upperB.text,
                                   static_cast<int>(kNativePathRoom));
  return lengthA > 0 && lengthA == lengthB && lstrcmpW(upperA.text, upperB.text) == 0;
}

}  // namespace kiv::platform
