// Module loading on Windows: LoadLibraryA and GetProcAddress by the decorated names.
#include "platform/module_loader.h"

#include <windows.h>

namespace kiv::platform {

const char *const kModuleFileName = "KivSQLite3.dll";

void *LoadModule(const std::string &path, std::string *error) noexcept {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr && error != nullptr) {
    *error = "LoadLibraryA failed with error " + std::to_string(GetLastError());
  }
  return reinterpret_cast<void *>(module);
}

void *FindExport(void *module, const char *name) noexcept {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void UnloadModule(void *module) noexcept {
  if (module != nullptr) FreeLibrary(static_cast<HMODULE>(module));
}

std::string ExecutableFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string folder(path, length);
  const auto cut = folder.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
}

}  // namespace kiv::platform
