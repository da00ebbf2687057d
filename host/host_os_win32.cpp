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

void FreeHostBlock(void *block) noexcept {
  if (block != nullptr) GlobalFree(reinterpret_cast<HGLOBAL>(block));
}

void UseBinaryStandardOutput() noexcept { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace kiv::host
