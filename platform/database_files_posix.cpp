// The primitives that tell the database's own files on POSIX: paths are bytes, the
// database's path is realpath's (as SQLite makes it), identities are device and inode,
// read by stat, which opens nothing.
#include <climits>
#include <cstring>

#include "platform/file_primitives.h"
#include "platform/os_calls.h"

namespace kiv::platform {
namespace {

Found FoundBy(int result) {
  if (result == 0) return Found::kYes;
  return errno == ENOENT || errno == ENOTDIR ? Found::kMissing : Found::kUnknown;
}

}  // namespace

bool TargetPath(const char *name, NativePath &path) noexcept {
  const std::size_t length = std::strlen(name);
  if (length >= sizeof path.text) return false;
  std::memcpy(path.text, name, length + 1);
  return true;
}

Found DatabasePath(const char *database, NativePath &path) noexcept {
  static_assert(sizeof path.text >= PATH_MAX + sizeof "-journal");
  path.text[0] = '\0';
  return os.realpath(database, path.text) != nullptr ? Found::kYes : FoundBy(-1);
}

void AppendSuffix(NativePath &path, const char *suffix) noexcept { std::strcat(path.text, suffix); }

Found IdentityAt(const NativePath &path, FileIdentity &identity) noexcept {
  identity = FileIdentity();
  struct stat info {};
  const Found found = FoundBy(os.stat(path.text, &info));
  if (found == Found::kYes)
    identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                true};
  return found;
}

Found SplitAt(NativePath &path, NativePath &name, FileIdentity &folder) noexcept {
  char *slash = std::strrchr(path.text, '/');
  if (slash == nullptr) {
    std::strcpy(name.text, path.text);
    std::strcpy(path.text, ".");
  } else {
    std::strcpy(name.text, slash + 1);
    slash[slash == path.text ? 1 : 0] = '\0';  // the root keeps its "/"
  }
  return IdentityAt(path, folder);
}

bool SameName(const NativePath &a, const NativePath &b) noexcept {
  return std::strcmp(a.text, b.text) == 0;
}

}  // namespace kiv::platform
