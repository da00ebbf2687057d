// The database's own files on POSIX, recognised by path and by identity (device and
// inode), never opened. A path whose state cannot be read (an I/O error, not a missing
// file) counts as one of them: the BLOB action is then refused, which loses nothing.
#include <climits>
#include <cstring>

#include "platform/database_files.h"
#include "platform/os_calls.h"

namespace kiv::platform {
namespace {

// The names SQLite gives the database's own files: the database and its companions.
constexpr const char *kDatabaseFileSuffixes[] = {"", "-wal", "-shm", "-journal"};
constexpr std::size_t kPathRoom = PATH_MAX + sizeof "-journal";

// What looking at a path found.
enum class Found { kYes, kMissing, kUnknown };

Found FoundBy(int result) {
  if (result == 0) return Found::kYes;
  return errno == ENOENT || errno == ENOTDIR ? Found::kMissing : Found::kUnknown;
}

bool SameIdentity(const struct stat &a, const struct stat &b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Calls `visit` with the full path of each of the database's own files, the way SQLite
// names them (the database's path with its symbolic links resolved, then each suffix),
// until it returns true; returns whether one did. False when `database` names no file
// on disk (":memory:", the empty name of a temporary database); true when its path
// cannot be made for another reason.
template <typename Visit>
bool AnyDatabaseFile(const char *database, Visit visit) {
  char path[kPathRoom];
  if (os.realpath(database, path) == nullptr) return FoundBy(-1) == Found::kUnknown;
  const std::size_t length = std::strlen(path);
  for (const char *suffix : kDatabaseFileSuffixes) {
    std::strcpy(path + length, suffix);
    if (visit(static_cast<const char *>(path))) return true;
  }
  return false;
}

// True when `path` is, or may be, the file whose identity is `file`.
bool MayBe(const char *path, const struct stat &file) {
  struct stat own {};
  const Found found = FoundBy(os.stat(path, &own));
  return found == Found::kUnknown || (found == Found::kYes && SameIdentity(own, file));
}

// The identity of the folder that holds `path`, and where its last name starts.
Found FolderOf(const char *path, struct stat &folder, const char **base) {
  const char *slash = std::strrchr(path, '/');
  *base = slash == nullptr ? path : slash + 1;
  char name[kPathRoom];
  const std::size_t length =
      slash == nullptr ? 0 : static_cast<std::size_t>(slash - path) + (slash == path ? 1 : 0);
  if (length >= sizeof name) return Found::kMissing;  // no such folder can be opened
  std::memcpy(name, slash == nullptr ? "." : path, slash == nullptr ? 1 : length);
  name[slash == nullptr ? 1 : length] = '\0';
  return FoundBy(os.stat(name, &folder));
}

}  // namespace

bool NamesDatabaseFile(const char *name, const char *database) noexcept {
  struct stat target {};
  const Found found = FoundBy(os.stat(name, &target));
  if (found == Found::kUnknown) return true;
  if (found == Found::kYes)
    return AnyDatabaseFile(database, [&](const char *path) { return MayBe(path, target); });
  // A missing file (or a dangling link, which no open follows to create its target) is
  // one of them when it would be made where SQLite makes one: the same folder, reached
  // by any path (a link, a bind mount), and the same name.
  struct stat folder {};
  const char *base = nullptr;
  const Found folderFound = FolderOf(name, folder, &base);
  if (folderFound != Found::kYes) return folderFound == Found::kUnknown;
  return AnyDatabaseFile(database, [&](const char *path) {
    struct stat own {};
    const char *ownBase = nullptr;
    const Found ownFound = FolderOf(path, own, &ownBase);
    return ownFound == Found::kUnknown || (ownFound == Found::kYes && SameIdentity(own, folder) &&
                                           std::strcmp(ownBase, base) == 0);
  });
}

bool IsDatabaseFile(const File &file, const char *database) noexcept {
  struct stat open {};
  if (os.fstat(static_cast<int>(file.native), &open) != 0) return true;
  return AnyDatabaseFile(database, [&](const char *path) { return MayBe(path, open); });
}

}  // namespace kiv::platform
