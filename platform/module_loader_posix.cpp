// Module loading on POSIX systems: dlopen with local symbols, dlsym by plain name.
#include "platform/module_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace kiv::platform {

const char *const kModuleFileName = "libKivSQLite3.so";

void *LoadModule(const std::string &path, std::string *error) noexcept {
  void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr && error != nullptr) {
    const char *reason = dlerror();
    *error = reason != nullptr ? reason : "dlopen failed";
  }
  return module;
}

void *FindExport(void *module, const char *name) noexcept { return dlsym(module, name); }

void UnloadModule(void *module) noexcept {
  if (module != nullptr) dlclose(module);
}

std::string ExecutableFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  std::string folder(path, static_cast<std::size_t>(length));
  return folder.substr(0, folder.rfind('/') + 1);
}

}  // namespace kiv::platform
