// Loading a dynamic library at run time and finding its exports by name, as a host
// does: dlopen/dlsym on POSIX, LoadLibraryA/GetProcAddress on Windows.
#pragma once

#include <string>

namespace kiv::platform {

// File name of the module as the build names it beside its host executable.
extern const char *const kModuleFileName;

// Loads the library at `path`. Returns null and sets `*error` when it cannot be loaded.
void *LoadModule(const std::string &path, std::string *error) noexcept;

// Address of export `name` in `module`, or null.
void *FindExport(void *module, const char *name) noexcept;

// Unloads a module from LoadModule; null is ignored.
void UnloadModule(void *module) noexcept;

// The folder of the running executable, with a trailing separator; empty when unknown.
std::string ExecutableFolder();

}  // namespace kiv::platform
