// The database's own files on Windows, recognised by full path and by identity (volume
// serial and file index), taken through handles that ask for no access and share
// everything. Names compare as the file system compares them.
#include "platform/database_files.h"
#include "platform/file_names.h"
#include "platform/os_calls.h"

namespace kiv::platform {
namespace {

// The names SQLite gives the database's own files: the database and its companions.
constexpr const wchar_t *kDatabaseFileSuffixes[] = {L"", L"-wal", L"-shm", L"-journal"};

// A path with room for a suffix or a stream name after it.
using WidePath = wchar_t[kFileNameRoom + 16];

// The full path of `name` read in `codePage` (GetFullPathNameW, as SQLite makes it).
bool FullPath(UINT codePage, const char *name, wchar_t (&out)[kFileNameRoom]) {
  wchar_t wide[kFileNameRoom];
  const int count =
      MultiByteToWideChar(codePage, 0, name, -1, wide, static_cast<int>(kFileNameRoom));
  if (count <= 0) return false;
  const DWORD length = os.GetFullPathNameW(wide, kFileNameRoom, out, nullptr);
  return length > 0 && length < kFileNameRoom;
}

// The identity of the file at `path`, taken through a handle that asks for no access
// and shares everything; closing such a handle releases no lock of anyone's (Windows
// keeps a lock with the handle that took it). False when there is no such file.
bool IdentityOf(const wchar_t *path, BY_HANDLE_FILE_INFORMATION &info) {
  const DWORD attributes = os.GetFileAttributesW(path);  // never a device: opening one has effects
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DEVICE) != 0)
    return false;
  const HANDLE handle =
      os.CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool got = os.GetFileInformationByHandle(handle, &info) != 0;
  os.CloseHandle(handle);
  return got;
}

// A file system that gives every file the index 0 gives no identity.
bool HasIdentity(const BY_HANDLE_FILE_INFORMATION &info) {
  return info.nFileIndexHigh != 0 || info.nFileIndexLow != 0;
}

bool SameIdentity(const BY_HANDLE_FILE_INFORMATION &a, const BY_HANDLE_FILE_INFORMATION &b) {
  return HasIdentity(a) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// Two names compared as the file system compares them: ordinal, ignoring case by
// Unicode's simple upper-casing (CompareStringOrdinal, from Windows Vista on; on XP the
// invariant locale's upper-casing, which NTFS's own table follows), never the user's
// locale (a Turkish "i").
bool SameName(const wchar_t *a, const wchar_t *b) {
  using CompareOrdinal = int(WINAPI *)(LPCWSTR, int, LPCWSTR, int, BOOL);
  // Looked up each time: a function-local static would bring the C++ runtime's guards.
  const auto compare = reinterpret_cast<CompareOrdinal>(reinterpret_cast<void *>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CompareStringOrdinal")));
  if (compare != nullptr) return compare(a, -1, b, -1, TRUE) == CSTR_EQUAL;
  WidePath upperA;
  WidePath upperB;
  const int lengthA = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, a, -1, upperA,
                                   static_cast<int>(sizeof upperA / sizeof upperA[0]));
  const int lengthB = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, b, -1, upperB,
                                   static_cast<int>(sizeof upperB / sizeof upperB[0]));
  return lengthA > 0 && lengthA == lengthB && lstrcmpW(upperA, upperB) == 0;
}

// Splits the full path `path` into its folder (kept in `path`; a drive's root keeps its
// "\") and its last name, copied to `name` without the "::$DATA" that names a file's
// main stream.
void SplitFolder(wchar_t *path, WidePath &name) {
  wchar_t *slash = nullptr;
  for (wchar_t *c = path; *c != L'\0'; ++c) {
    if (*c == L'\\' || *c == L'/') slash = c;
  }
  name[0] = L'\0';
  if (slash == nullptr) return;
  lstrcpynW(name, slash + 1, static_cast<int>(sizeof name / sizeof name[0]));
  const int length = lstrlenW(name);
  constexpr int kStream = 7;  // "::$DATA"
  if (length >= kStream && SameName(name + length - kStream, L"::$DATA"))
    name[length - kStream] = L'\0';
  slash[slash > path && slash[-1] == L':' ? 1 : 0] = L'\0';
}

// True when the missing file `target` (a full path) is where `path` would be made: the
// same folder, reached by any spelling (a short name, a SUBST drive), and the same name.
bool SamePlace(const wchar_t *target, const wchar_t *path) {
  WidePath a;
  WidePath b;
  lstrcpynW(a, target, static_cast<int>(sizeof a / sizeof a[0]));
  lstrcpynW(b, path, static_cast<int>(sizeof b / sizeof b[0]));
  WidePath nameA;
  WidePath nameB;
  SplitFolder(a, nameA);
  SplitFolder(b, nameB);
  if (!SameName(nameA, nameB)) return false;
  BY_HANDLE_FILE_INFORMATION folderA{};
  BY_HANDLE_FILE_INFORMATION folderB{};
  if (IdentityOf(a, folderA) && IdentityOf(b, folderB) && HasIdentity(folderA))
    return SameIdentity(folderA, folderB);
  return SameName(a, b);  // no identity to go by: the folders' full paths
}

// Calls `visit` with the full path of each of the database's own files, as SQLite names
// them (the UTF-8 name it was given, made a full path, then each suffix), until it
// returns true; returns whether one did. False for ":memory:" and the empty name.
template <typename Visit>
bool AnyDatabaseFile(const char *database, Visit visit) {
  char utf8[kFileNameRoom];
  WidePath path;
  wchar_t full[kFileNameRoom];
  const std::string_view name(database);
  if (name.empty() || name == ":memory:" || !FileNameAsUtf8(name, utf8) ||
      !FullPath(CP_UTF8, utf8, full))
    return false;
  for (const wchar_t *suffix : kDatabaseFileSuffixes) {
    lstrcpyW(path, full);
    lstrcatW(path, suffix);
    if (visit(static_cast<const wchar_t *>(path))) return true;
  }
  return false;
}

}  // namespace

bool NamesDatabaseFile(const char *name, const char *database) noexcept {
  // A device is none of them, and OpenUnshared refuses it; it is not even looked at.
  if (NotAPlainFile(name)) return false;
  wchar_t target[kFileNameRoom];
  if (!FullPath(CP_ACP, name, target)) return false;
  BY_HANDLE_FILE_INFORMATION targetInfo{};
  const bool exists = IdentityOf(target, targetInfo);
  return AnyDatabaseFile(database, [&](const wchar_t *path) {
    BY_HANDLE_FILE_INFORMATION own{};
    if (!exists) return SamePlace(target, path);  // where one would be made
    if (HasIdentity(targetInfo)) return IdentityOf(path, own) && SameIdentity(own, targetInfo);
    return SameName(path, target);  // no identity to go by: the full paths
  });
}

bool IsDatabaseFile(const File &file, const char *database) noexcept {
  BY_HANDLE_FILE_INFORMATION open{};
  if (!os.GetFileInformationByHandle(reinterpret_cast<HANDLE>(file.native), &open)) return true;
  // Without an identity (index 0) the name check before the open is all there is.
  if (!HasIdentity(open)) return false;
  return AnyDatabaseFile(database, [&](const wchar_t *path) {
    BY_HANDLE_FILE_INFORMATION own{};
    return IdentityOf(path, own) && SameIdentity(own, open);
  });
}

}  // namespace kiv::platform
