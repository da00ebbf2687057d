// Libraries on Windows: the module's folder from its own address, the program's from
// GetModuleFileNameW, the system folder; LoadLibraryExW by full path, so that what the
// library imports in turn is looked for beside it first.
#include <windows.h>

#include <cstring>

#include "platform/libraries.h"

namespace kiv::platform {

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
  return reinterpret_cast<void *>(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void *FindSymbol(void *library, const char *name) noexcept {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void *library) noexcept { FreeLibrary(static_cast<HMODULE>(library)); }

}  // namespace kiv::platform
