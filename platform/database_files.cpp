// The database's own files, told the same way on every system: by path and by identity,
// through the systems' primitives (file_primitives.h), never by opening one. Whatever
// cannot be told counts as one of them: the BLOB action is then refused, which loses
// nothing.
#include "platform/database_files.h"

#include "platform/file_primitives.h"

namespace kiv::platform {
namespace {

// The names SQLite gives the database's own files: the database and its companions.
constexpr const char *kDatabaseFileSuffixes[] = {"", "-wal", "-shm", "-journal"};

// True when both identities are known and name the same file. An index of 0 names none:
// a file system that gives every file that index gives no identity.
bool SameIdentity(const FileIdentity &a, const FileIdentity &b) {
  return a.known && b.known && a.index != 0 && a.volume == b.volume && a.index == b.index;
}

// Calls `visit` with the path of each of the database's own files until it returns
// true; returns whether one did. False for a database with no file on disk; true when
// its path cannot be made.
template <typename Visit>
bool AnyDatabaseFile(const char *database, Visit visit) {
  NativePath path;
  const Found found = DatabasePath(database, path);
  if (found != Found::kYes) return found == Found::kUnknown;
  const NativePath full = path;
  for (const char *suffix : kDatabaseFileSuffixes) {
    path = full;
    AppendSuffix(path, suffix);
    if (visit(path)) return true;
  }
  return false;
}

}  // namespace

bool NamesDatabaseFile(const char *name, const char *database) noexcept {
  // A device or a folder is none of them, and OpenUnshared refuses it without opening it.
  if (NotAPlainFile(name)) return false;
  NativePath target;
  if (!TargetPath(name, target)) return true;
  FileIdentity identity;
  const Found found = IdentityAt(target, identity);
  if (found == Found::kUnknown) return true;
  if (found == Found::kYes) {
    return AnyDatabaseFile(database, [&](const NativePath &path) {
      FileIdentity own;
      const Found ownFound = IdentityAt(path, own);
      if (ownFound == Found::kUnknown) return true;
      if (identity.index == 0) return SameName(path, target);  // no identity: the paths
      return ownFound == Found::kYes && SameIdentity(own, identity);
    });
  }
  // A missing file is one of them when it would be made where SQLite makes one: the same
  // name in the same folder, reached by any path (a link, a bind mount, a short name).
  NativePath last;
  FileIdentity folder;
  const Found folderFound = SplitAt(target, last, folder);
  if (folderFound == Found::kUnknown) return true;
  return AnyDatabaseFile(database, [&](const NativePath &path) {
    NativePath ownFolder = path;
    NativePath ownName;
    FileIdentity own;
    const Found ownFound = SplitAt(ownFolder, ownName, own);
    if (ownFound == Found::kUnknown) return true;
    if (!SameName(last, ownName)) return false;
    if (folderFound == Found::kYes && ownFound == Found::kYes && folder.index != 0)
      return SameIdentity(folder, own);
    return SameName(target, ownFolder);  // no identity to go by: the folders' paths
  });
}

bool IsDatabaseFile(const File &file, const char *database) noexcept {
  const FileIdentity open = IdentityOf(file);
  if (!open.known) return true;
  if (open.index == 0) return false;  // no identity: the name check was all there is
  return AnyDatabaseFile(database, [&](const NativePath &path) {
    FileIdentity own;
    const Found found = IdentityAt(path, own);
    return found == Found::kUnknown || (found == Found::kYes && SameIdentity(own, open));
  });
}

}  // namespace kiv::platform
