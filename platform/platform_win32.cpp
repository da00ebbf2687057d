// The platform layer on Windows: fixed, zero-filled global memory for the host (a
// block's handle is its address, so the host frees it with GlobalFree); files through
// CreateFileA with share mode 0, GetFileSize, one ReadFile, one WriteFile, SetEndOfFile
// and CloseHandle; and the module's load entry.
#include <windows.h>

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

// Windows refuses writing to a read-only file anyway; asking first keeps that rule where
// it is not enforced (Wine run by root opens such files for writing).
bool HasReadOnlyAttribute(const char *name) {
  const DWORD attributes = GetFileAttributesA(name);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace

File &File::operator=(File &&other) noexcept {
  if (this != &other) {
    if (IsOpen()) CloseHandle(AsHandle(native));
    native = other.native;
    other.native = kNoFile;
  }
  return *this;
}

File::~File() {
  if (IsOpen()) CloseHandle(AsHandle(native));
}

File OpenUnshared(const char *name, IfMissing missing) noexcept {
  const DWORD disposition = missing == IfMissing::Create ? OPEN_ALWAYS : OPEN_EXISTING;
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (!HasReadOnlyAttribute(name)) {
    handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (handle == INVALID_HANDLE_VALUE) {
    handle =
        CreateFileA(name, GENERIC_READ, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (handle == INVALID_HANDLE_VALUE) return File();
  File file(reinterpret_cast<intptr_t>(handle));
  // Consoles, pipes and other devices could block a read for ever: only disk files.
  if (GetFileType(handle) != FILE_TYPE_DISK) return File();
  return file;
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
  if (SetFilePointer(handle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
  DWORD written = 0;
  if (!bytes.empty() &&
      (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
       written != bytes.size())) {
    return false;
  }
  return SetEndOfFile(handle) != 0;
}

}  // namespace kiv::platform
