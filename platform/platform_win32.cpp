// The platform layer on Windows: fixed, zero-filled global memory for the host (a
// block's handle is its address, so the host frees it with GlobalFree); files through
// CreateFileA with share mode 0, GetFileSize, one ReadFile, one WriteFile, SetEndOfFile
// and CloseHandle; ANSI file names made UTF-8 for SQLite; libraries from the module's
// folder; and the module's load entry. Only functions that Windows XP SP3 has are used
// (the build declares nothing newer).
#include <windows.h>

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
  for (int attempt = 0;; ++attempt) {
    const DWORD attributes = GetFileAttributesA(name);
    if (Has(attributes, FILE_ATTRIBUTE_DIRECTORY)) return File();
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

bool ReplaceContent(const File &file, std::string_view bytes) noexcept {
  if (bytes.size() > MAXDWORD) return false;
  const HANDLE handle = AsHandle(file.native);
  LARGE_INTEGER old{};
  LARGE_INTEGER size{};
  size.QuadPart = static_cast<LONGLONG>(bytes.size());
  if (!GetFileSizeEx(handle, &old)) return false;
  // Growing the file to its new length reserves the disk space (files are not sparse),
  // so a full disk refuses here, before any old byte is overwritten.
  if (size.QuadPart > old.QuadPart &&
      (!SetFilePointerEx(handle, size, nullptr, FILE_BEGIN) || !SetEndOfFile(handle))) {
    if (SetFilePointerEx(handle, old, nullptr, FILE_BEGIN)) SetEndOfFile(handle);
    return false;
  }
  const LARGE_INTEGER start{};
  DWORD written = 0;
  if (!SetFilePointerEx(handle, start, nullptr, FILE_BEGIN)) return false;
  if (!bytes.empty() &&
      (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
       written != bytes.size())) {
    return false;
  }
  return SetFilePointerEx(handle, size, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
}

void CloseDiscardingCreated(File &file, const char *name) noexcept {
  const bool created = file.IsOpen() && file.created;
  file = File();  // a file open without sharing cannot be deleted
  if (created) DeleteFileA(name);
}

bool SameFile(const File &file, const char *name) noexcept {
  // The file SQLite holds open is refused by the share mode before this is asked; other
  // names for a file are compared by volume and file index.
  const HANDLE other = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (other == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION a{};
  BY_HANDLE_FILE_INFORMATION b{};
  const bool same = GetFileInformationByHandle(AsHandle(file.native), &a) &&
                    GetFileInformationByHandle(other, &b) &&
                    a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
                    a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
  CloseHandle(other);
  return same;
}

bool FileNameAsUtf8(std::string_view name, char (&out)[kUtf8NameRoom]) noexcept {
  if (IsUtf8(name)) return CopyName(name, out);
  wchar_t meant[kUtf8NameRoom];
  if (!Widen(CP_ACP, name, meant)) return false;
  // Before, the bytes went to SQLite as they came, and Windows made each invalid byte
  // U+FFFD: such a file stays reachable as long as no file of the meant name exists.
  wchar_t before[kUtf8NameRoom];
  if (GetFileAttributesW(meant) == INVALID_FILE_ATTRIBUTES && Widen(CP_UTF8, name, before) &&
      GetFileAttributesW(before) != INVALID_FILE_ATTRIBUTES)
    return CopyName(name, out);
  const int length = WideCharToMultiByte(CP_UTF8, 0, meant, -1, out,
                                         static_cast<int>(kUtf8NameRoom), nullptr, nullptr);
  return length > 0;
}

void *OpenLibraryBesideModule(const char *fileName) noexcept {
  HMODULE self = nullptr;
  wchar_t path[MAX_PATH * 4];
  const DWORD room = sizeof path / sizeof path[0];
  if (GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&OpenLibraryBesideModule), &self)) {
    const DWORD length = GetModuleFileNameW(self, path, room);
    DWORD folder = length;
    while (folder > 0 && path[folder - 1] != L'\\' && path[folder - 1] != L'/') --folder;
    const std::size_t nameLength = std::strlen(fileName);
    if (length > 0 && length < room && folder > 0 && folder + nameLength < room) {
      for (std::size_t i = 0; i <= nameLength; ++i)
        path[folder + i] = static_cast<unsigned char>(fileName[i]);  // the name is ASCII
      // With its own folder searched first for what it imports in turn.
      if (HMODULE library = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
        return reinterpret_cast<void *>(library);
    }
  }
  return reinterpret_cast<void *>(LoadLibraryA(fileName));
}

void *FindSymbol(void *library, const char *name) noexcept {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void *library) noexcept { FreeLibrary(static_cast<HMODULE>(library)); }

void PauseMilliseconds(unsigned milliseconds) noexcept { Sleep(milliseconds); }

}  // namespace kiv::platform
