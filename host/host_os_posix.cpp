// kivhost's operating system on POSIX: dlopen with local symbols, dlsym by plain name,
// /proc/self/exe for the program's folder, free for host memory.
#include <dlfcn.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/host_os.h"

namespace kiv::host {

const char *const kModuleFileName = "libKivSQLite3.so";

namespace {

bool outputLost = false;  // a Print that did not reach its stream

}  // namespace

std::string FullPath(const std::string &path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full.lexically_normal().string();
}

void *LoadModule(const std::string &path, std::string &error) {
  void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char *reason = dlerror();
    error = reason != nullptr ? reason : "dlopen failed";
  }
  return module;
}

void *FindExport(void *module, const char *name) noexcept { return dlsym(module, name); }

bool Utf8ToHostText(std::string &) { return true; }

std::string ExecutableFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  std::string folder(path, static_cast<std::size_t>(length));
  return folder.substr(0, folder.rfind('/') + 1);
}

std::string DescribeEngine(const std::string &, void *module) {
  // The module links libsqlite3.so; a symbol looked up through the module's handle is
  // found in the libraries it was linked with.
  const auto version = reinterpret_cast<const char *(*)()>(dlsym(module, "sqlite3_libversion"));
  Dl_info where{};
  if (version == nullptr || dladdr(reinterpret_cast<void *>(version), &where) == 0)
    return "none found";
  return std::string(where.dli_fname) + " (SQLite " + version() + ")";
}

void FreeHostBlock(void *block) noexcept { std::free(block); }

void UseBinaryStandardOutput() noexcept {}

void Print(std::FILE *stream, std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stream) != text.size()) outputLost = true;
}

bool AllOutputShown() noexcept {
  return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 && !outputLost;
}

void PrepareProcess() noexcept { signal(SIGXFSZ, SIG_IGN); }

std::vector<int> ArgumentsChangedOnTheWay(int, char **) { return {}; }

const char *const kFolderSeparators = "/";

bool LooksLikeAnotherSystemsPath(const std::string &name) {
  const bool drive = name.size() >= 2 && name[1] == ':' &&
                     ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
  return drive || name.find('\\') != std::string::npos;
}

bool FileExists(const std::string &name) {
  struct stat info {};
  return stat(name.c_str(), &info) == 0;
}

Typed ReadTypedLine(std::string &) { return Typed::kNotAConsole; }

}  // namespace kiv::host
