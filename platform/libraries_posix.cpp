// Libraries on POSIX: the module's folder from dladdr, the program's from
// /proc/self/exe, and dlopen by full path. There is no system folder to trust: the
// system's own search is not one of the trusted places.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "platform/libraries.h"

namespace kiv::platform {

void *OpenLibraryIn(LibraryFolder folder, const char *fileName) noexcept {
  char path[PATH_MAX];
  ssize_t length = -1;
  if (folder == LibraryFolder::kModule) {
    Dl_info self{};
    if (dladdr(reinterpret_cast<void *>(&OpenLibraryIn), &self) != 0 && self.dli_fname != nullptr &&
        std::strlen(self.dli_fname) < sizeof path) {
      std::strcpy(path, self.dli_fname);
      length = static_cast<ssize_t>(std::strlen(path));
    }
  } else if (folder == LibraryFolder::kHostProgram) {
    length = readlink("/proc/self/exe", path, sizeof path - 1);
  }
  if (length <= 0) return nullptr;
  path[length] = '\0';
  char *slash = std::strrchr(path, '/');
  if (slash == nullptr ||
      static_cast<std::size_t>(slash + 1 - path) + std::strlen(fileName) >= sizeof path)
    return nullptr;
  std::strcpy(slash + 1, fileName);
  return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void *FindSymbol(void *library, const char *name) noexcept { return dlsym(library, name); }

void CloseLibrary(void *library) noexcept { dlclose(library); }

}  // namespace kiv::platform
