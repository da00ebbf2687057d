// The platform layer on Windows: fixed, zero-filled global memory for the host (a
// block's handle is its address, so the host frees it with GlobalFree); files through
// CreateFileA with share mode 0, GetFileSize, one ReadFile, one WriteFile, SetEndOfFile
// and CloseHandle; the database's own files recognised by full path and file index; ANSI
// file names made UTF-8 for SQLite; libraries from trusted folders by full path; and the
// module's load entry. Only functions that Windows XP SP3 has are used
// (the build declares nothing newer).
#include <windows.h>
#include <winioctl.h>

#include <cstring>

#include "platform/platform.h"

// The DLL's entry point, in place of the C runtime's start-up code (the module is linked
// with -nostartfiles): it accepts every notification and does no work. The module needs
// nothing of that code (no static constructors, no data imports), and it would bring a
// TLS directory, which a DLL loaded at run time must not have on older Windows.
extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD, LPVOID) { return TRUE; }

namespace kiv::platform {

void *AllocHostBlock(std::size_t size) noexcept {
  return reinterpret_cast<void *>(GlobalAlloc(GMEM_ZEROINIT, size));
}

void FreeHostBlock(void *block) noexcept {
  if (block != nullptr) GlobalFree(reinterpret_cast<HGLOBAL>(block));
}

namespace {

HANDLE AsHandle(intptr_t native) { return reinterpret_cast<HANDLE>(native); }

bool Has(DWORD attributes, DWORD attribute) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & attribute) != 0;
}

// The errors of an open that another opener's hold explains (a sharing violation, or
// access denied while a deleted file is let go): worth trying again shortly.
bool HeldByAnother(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

// True when `name` is pure ASCII or valid UTF-8 (shortest forms, no surrogates, at most
// U+10FFFF).
bool IsUtf8(std::string_view name) {
  for (std::size_t i = 0; i < name.size();) {
    const auto lead = static_cast<unsigned char>(name[i]);
    std::size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, min = 0x80, code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, min = 0x800, code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, min = 0x10000, code = lead & 0x07u;
    } else {
      return false;
    }
    if (i + length > name.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(name[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3Fu);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

// `name` read in `codePage` into `wide` (zero-terminated); false when it does not fit.
bool Widen(UINT codePage, std::string_view name, wchar_t (&wide)[kUtf8NameRoom]) {
  const int count = MultiByteToWideChar(codePage, 0, name.data(), static_cast<int>(name.size()),
                                        wide, static_cast<int>(kUtf8NameRoom) - 1);
  if (count <= 0) return false;
  wide[count] = L'\0';
  return true;
}

constexpr DWORD kNotAPlainFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(const char *text, const char *prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    const char c = *text == '/' ? '\\' : AsciiUpper(*text);  // `prefix` is upper case
    if (c != *prefix) return false;
  }
  return true;
}

// True when `name` reaches a device rather than a file: a \\.\ or \\?\GLOBALROOT path,
// or a last name that Windows reserves for a device in every folder (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, CONIN$, CONOUT$), with or without an extension or trailing blanks.
bool NamesDevice(const char *name) {
  if (StartsWithNoCase(name, "\\\\.\\") || StartsWithNoCase(name, "\\\\?\\GLOBALROOT")) return true;
  const char *last = name;
  for (const char *c = name; *c != '\0'; ++c) {
    if (*c == '\\' || *c == '/') last = c + 1;
  }
  if (last[0] != '\0' && last[1] == ':') last += 2;  // C:NUL
  std::size_t length = 0;
  while (last[length] != '\0' && last[length] != '.' && last[length] != ':') ++length;
  while (length > 0 && last[length - 1] == ' ') --length;
  char stem[8] = {};
  if (length == 0 || length >= sizeof stem) return false;
  for (std::size_t i = 0; i < length; ++i) stem[i] = AsciiUpper(last[i]);
  for (const char *device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (std::strcmp(stem, device) == 0) return true;
  }
  return length == 4 && (std::strncmp(stem, "COM", 3) == 0 || std::strncmp(stem, "LPT", 3) == 0) &&
         stem[3] >= '1' && stem[3] <= '9';
}

bool CopyName(std::string_view name, char (&out)[kUtf8NameRoom]) {
  if (name.size() >= kUtf8NameRoom) return false;
  std::memcpy(out, name.data(), name.size());
  out[name.size()] = '\0';
  return true;
}

}  // namespace

File &File::operator=(File &&other) noexcept {
  if (this != &other) {
    if (IsOpen()) CloseHandle(AsHandle(native));
    native = other.native;
    created = other.created;
    other.native = kNoFile;
  }
  return *this;
}

File::~File() {
  if (IsOpen()) CloseHandle(AsHandle(native));
}

File OpenUnshared(const char *name, IfMissing missing) noexcept {
  const DWORD disposition = missing == IfMissing::Create ? OPEN_ALWAYS : OPEN_EXISTING;
  if (NamesDevice(name)) return File();
  for (int attempt = 0;; ++attempt) {
    const DWORD attributes = GetFileAttributesA(name);
    // Only a plain file or a missing one: opening a device (a serial port) has effects.
    if (attributes == INVALID_FILE_ATTRIBUTES ? !IsMissing(GetLastError())
                                              : Has(attributes, kNotAPlainFile))
      return File();
    HANDLE handle = INVALID_HANDLE_VALUE;
    // Windows refuses writing to a read-only file anyway; asking first keeps that rule
    // where it is not enforced (Wine run by root opens such files for writing).
    if (!Has(attributes, FILE_ATTRIBUTE_READONLY)) {
      handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE) {
      handle =
          CreateFileA(name, GENERIC_READ, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle != INVALID_HANDLE_VALUE) {
      const bool created = missing == IfMissing::Create && GetLastError() != ERROR_ALREADY_EXISTS;
      File file(reinterpret_cast<intptr_t>(handle), created);
      // Consoles, pipes and other devices could block a read for ever: only disk files.
      if (GetFileType(handle) != FILE_TYPE_DISK) return File();
      return file;
    }
    if (!HeldByAnother(GetLastError()) || attempt == kHeldFileRetries) return File();
    Sleep(HeldFileWait(attempt));
  }
}

bool FileSize(const File &file, std::uint64_t *size) noexcept {
  DWORD high = 0;
  const DWORD low = GetFileSize(AsHandle(file.native), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  *size = (static_cast<std::uint64_t>(high) << 32) | low;
  return true;
}

bool ReadFromStart(const File &file, char *buffer, std::size_t length,
                   std::size_t *received) noexcept {
  if (length > MAXDWORD) return false;
  DWORD got = 0;
  if (SetFilePointer(AsHandle(file.native), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
    return false;
  if (!ReadFile(AsHandle(file.native), buffer, static_cast<DWORD>(length), &got, nullptr))
    return false;
  *received = got;
  return true;
}

namespace {

// True when every byte of [0, end) of the sparse file has room on the disk: no hole
// lies there (FSCTL_QUERY_ALLOCATED_RANGES, which Windows XP has too).
bool AllocatedUpTo(HANDLE handle, LONGLONG end) {
  for (LONGLONG at = 0; at < end;) {
    FILE_ALLOCATED_RANGE_BUFFER ask{};
    ask.FileOffset.QuadPart = at;
    ask.Length.QuadPart = end - at;
    FILE_ALLOCATED_RANGE_BUFFER range{};
    DWORD returned = 0;
    // A full buffer with more ranges to come fails with ERROR_MORE_DATA: the first is enough.
    if (!DeviceIoControl(handle, FSCTL_QUERY_ALLOCATED_RANGES, &ask, sizeof ask, &range,
                         sizeof range, &returned, nullptr) &&
        GetLastError() != ERROR_MORE_DATA)
      return false;
    if (returned < sizeof range || range.FileOffset.QuadPart > at) return false;  // a hole
    const LONGLONG next = range.FileOffset.QuadPart + range.Length.QuadPart;
    if (next <= at) return false;
    at = next;
  }
  return true;
}

// Room for every byte of a file grown to `size`, before any old byte is overwritten:
// growing a file that is not sparse reserves its clusters. A sparse file (whose holes
// take room only when written) must have no hole below the new size; to grow, it must
// have none at all, and then stops being sparse (which Windows does reliably only for a
// file without holes), so that growing it reserves room too. Otherwise the write is
// refused and the file kept. A compressed file's room cannot be known ahead.
bool SecureRoom(HANDLE handle, const LARGE_INTEGER &old, const LARGE_INTEGER &size) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return false;
  const bool grows = size.QuadPart > old.QuadPart;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) != 0) {
    if (!AllocatedUpTo(handle, grows ? old.QuadPart : size.QuadPart)) return false;
    if (grows) {
      FILE_SET_SPARSE_BUFFER whole{};
      whole.SetSparse = FALSE;
      DWORD returned = 0;
      if (!DeviceIoControl(handle, FSCTL_SET_SPARSE, &whole, sizeof whole, nullptr, 0, &returned,
                           nullptr))
        return false;
    }
  }
  return !grows || (SetFilePointerEx(handle, size, nullptr, FILE_BEGIN) && SetEndOfFile(handle));
}

}  // namespace

bool ReplaceContent(const File &file, std::string_view bytes) noexcept {
  if (bytes.size() > MAXDWORD) return false;
  const HANDLE handle = AsHandle(file.native);
  LARGE_INTEGER old{};
  LARGE_INTEGER size{};
  size.QuadPart = static_cast<LONGLONG>(bytes.size());
  if (!GetFileSizeEx(handle, &old)) return false;
  const LARGE_INTEGER start{};
  DWORD written = 0;
  if (SecureRoom(handle, old, size) && SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) &&
      (bytes.empty() ||
       (WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size())) &&
      SetFilePointerEx(handle, size, nullptr, FILE_BEGIN) && SetEndOfFile(handle))
    return true;
  if (SetFilePointerEx(handle, old, nullptr, FILE_BEGIN)) SetEndOfFile(handle);  // the old size
  return false;
}

bool CloseFile(File &file) noexcept {
  if (!file.IsOpen()) return true;
  const HANDLE handle = AsHandle(file.native);
  file.native = File::kNoFile;
  return CloseHandle(handle) != 0;
}

void CloseDiscardingCreated(File &file, const char *name) noexcept {
  const bool created = file.IsOpen() && file.created;
  file = File();  // a file open without sharing cannot be deleted
  if (created) DeleteFileA(name);
}

namespace {

// The names SQLite gives the database's own files: the database and its companions.
constexpr const wchar_t *kDatabaseFileSuffixes[] = {L"", L"-wal", L"-shm", L"-journal"};

// The full path of `name` read in `codePage` (GetFullPathNameW, as SQLite makes it).
bool FullPath(UINT codePage, const char *name, wchar_t (&out)[kUtf8NameRoom]) {
  wchar_t wide[kUtf8NameRoom];
  if (!Widen(codePage, name, wide)) return false;
  const DWORD length = GetFullPathNameW(wide, kUtf8NameRoom, out, nullptr);
  return length > 0 && length < kUtf8NameRoom;
}

// The identity of the file at `path`, taken through a handle that asks for no access
// and shares everything; closing such a handle releases no lock of anyone's (Windows
// keeps a lock with the handle that took it). False when there is no such file.
bool IdentityOf(const wchar_t *path, BY_HANDLE_FILE_INFORMATION &info) {
  const DWORD attributes = GetFileAttributesW(path);  // never a device: opening one has effects
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DEVICE) != 0)
    return false;
  const HANDLE handle = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool got = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
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
  wchar_t upperA[kUtf8NameRoom + 8];
  wchar_t upperB[kUtf8NameRoom + 8];
  const int lengthA = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, a, -1, upperA,
                                   static_cast<int>(sizeof upperA / sizeof upperA[0]));
  const int lengthB = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, b, -1, upperB,
                                   static_cast<int>(sizeof upperB / sizeof upperB[0]));
  return lengthA > 0 && lengthA == lengthB && lstrcmpW(upperA, upperB) == 0;
}

// Splits the full path `path` into its folder (kept in `path`; a drive's root keeps its
// "\") and its last name, copied to `name` without the "::$DATA" that names a file's
// main stream.
void SplitFolder(wchar_t *path, wchar_t (&name)[kUtf8NameRoom + 8]) {
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
  wchar_t a[kUtf8NameRoom + 8];
  wchar_t b[kUtf8NameRoom + 8];
  lstrcpynW(a, target, static_cast<int>(sizeof a / sizeof a[0]));
  lstrcpynW(b, path, static_cast<int>(sizeof b / sizeof b[0]));
  wchar_t nameA[kUtf8NameRoom + 8];
  wchar_t nameB[kUtf8NameRoom + 8];
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
  char utf8[kUtf8NameRoom];
  wchar_t path[kUtf8NameRoom + 8];
  wchar_t full[kUtf8NameRoom];
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
  if (NamesDevice(name)) return false;
  wchar_t target[kUtf8NameRoom];
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
  // Without an identity (index 0) the name check before the open is all there is.
  if (!GetFileInformationByHandle(AsHandle(file.native), &open) || !HasIdentity(open)) return false;
  return AnyDatabaseFile(database, [&](const wchar_t *path) {
    BY_HANDLE_FILE_INFORMATION own{};
    return IdentityOf(path, own) && SameIdentity(own, open);
  });
}

bool FileNameAsUtf8(std::string_view name, char (&out)[kUtf8NameRoom]) noexcept {
  if (IsUtf8(name)) return CopyName(name, out);
  wchar_t meant[kUtf8NameRoom];
  if (!Widen(CP_ACP, name, meant)) return false;
  // A file that SQLite made from these bytes taken as UTF-8 (each invalid byte read as
  // U+FFFD) stays reachable as long as no file of the meant name exists.
  wchar_t before[kUtf8NameRoom];
  if (GetFileAttributesW(meant) == INVALID_FILE_ATTRIBUTES && Widen(CP_UTF8, name, before) &&
      GetFileAttributesW(before) != INVALID_FILE_ATTRIBUTES)
    return CopyName(name, out);
  const int length = WideCharToMultiByte(CP_UTF8, 0, meant, -1, out,
                                         static_cast<int>(kUtf8NameRoom), nullptr, nullptr);
  return length > 0;
}

void *OpenLibraryIn(LibraryFolder folder, const char *fileName) noexcept {
  wchar_t path[MAX_PATH * 4];
  const DWORD room = sizeof path / sizeof path[0];
  DWORD length = 0;
  if (folder == LibraryFolder::kModule) {
    HMODULE self = nullptr;
    if (GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&OpenLibraryIn), &self))
      length = GetModuleFileNameW(self, path, room);
  } else if (folder == LibraryFolder::kHostProgram) {
    length = GetModuleFileNameW(nullptr, path, room);
  } else {
    length = GetSystemDirectoryW(path, room);
    if (length > 0 && length + 1 < room) path[length++] = L'\\';  // a folder, not a file
  }
  if (length == 0 || length >= room) return nullptr;
  while (length > 0 && path[length - 1] != L'\\' && path[length - 1] != L'/') --length;
  const std::size_t nameLength = std::strlen(fileName);
  if (length == 0 || length + nameLength >= room) return nullptr;
  for (std::size_t i = 0; i <= nameLength; ++i)
    path[length + i] = static_cast<unsigned char>(fileName[i]);  // the name is ASCII
  if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return nullptr;
  // A full path: only that file; what it imports in turn is looked for beside it first.
  return reinterpret_cast<void *>(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void *FindSymbol(void *library, const char *name) noexcept {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void *library) noexcept { FreeLibrary(static_cast<HMODULE>(library)); }

void PauseMilliseconds(unsigned milliseconds) noexcept { Sleep(milliseconds); }

}  // namespace kiv::platform
