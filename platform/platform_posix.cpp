// The platform layer on POSIX systems. Host memory is calloc/free. Files: an
// exclusive, non-blocking flock stands in for Windows' share mode 0 between our own
// openers, and a file with no write permission bit is opened for reading only, like a
// Windows file with the read-only attribute. The database's own files are recognised by
// path and identity, never opened. File names are bytes, kept as they are; libraries
// load with dlopen.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/platform.h"

namespace kiv::platform {

void *AllocHostBlock(std::size_t size) noexcept { return std::calloc(size, 1); }

void FreeHostBlock(void *block) noexcept { std::free(block); }

namespace {

bool LacksWritePermission(const char *name) {
  struct stat info {};
  return stat(name, &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// One open attempt: the descriptor of a regular file held under an exclusive lock, or
// -1, with `*held` set when the lock is what another opener holds. `*created` tells
// whether this attempt made the file.
int OpenLocked(const char *name, int access, IfMissing missing, bool *held, bool *created) {
  const int flags = access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;  // a FIFO never hangs us
  int fd = open(name, flags);
  if (fd < 0 && errno == ENOENT && missing == IfMissing::Create) {
    fd = open(name, flags | O_CREAT | O_EXCL, 0666);
    *created = fd >= 0;
  }
  if (fd < 0) return -1;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return -1;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (*created) unlink(name);
    *created = false;
    *held = errno == EWOULDBLOCK;
    close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

}  // namespace

File &File::operator=(File &&other) noexcept {
  if (this != &other) {
    if (IsOpen()) close(static_cast<int>(native));
    native = other.native;
    created = other.created;
    other.native = kNoFile;
  }
  return *this;
}

File::~File() {
  if (IsOpen()) close(static_cast<int>(native));
}

File OpenUnshared(const char *name, IfMissing missing) noexcept {
  // A device, FIFO or socket is refused before it is opened: opening one can have effects.
  struct stat info {};
  if (stat(name, &info) == 0 ? !S_ISREG(info.st_mode) : errno != ENOENT) return File();
  for (int attempt = 0;; ++attempt) {
    bool held = false;
    bool created = false;
    int fd = -1;
    if (!LacksWritePermission(name)) fd = OpenLocked(name, O_RDWR, missing, &held, &created);
    if (fd < 0) fd = OpenLocked(name, O_RDONLY, missing, &held, &created);
    if (fd >= 0) return File(fd, created);
    if (!held || attempt == kHeldFileRetries) return File();
    PauseMilliseconds(HeldFileWait(attempt));
  }
}

bool FileSize(const File &file, std::uint64_t *size) noexcept {
  struct stat info {};
  if (fstat(static_cast<int>(file.native), &info) != 0 || info.st_size < 0) return false;
  *size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool ReadFromStart(const File &file, char *buffer, std::size_t length,
                   std::size_t *received) noexcept {
  const int fd = static_cast<int>(file.native);
  std::size_t done = 0;
  while (done < length) {  // one read as far as the caller sees; the kernel may split it
    const ssize_t got = pread(fd, buffer + done, length - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  *received = done;
  return true;
}

bool ReplaceContent(const File &file, std::string_view bytes) noexcept {
  const int fd = static_cast<int>(file.native);
  struct stat info {};
  if (fstat(fd, &info) != 0) return false;
  const auto size = static_cast<off_t>(bytes.size());
  // Every block the new content needs, holes included, is allocated before the first
  // write; blocks allocated this way read as zeros, so the old content stays as it was.
  bool done = size == 0 || posix_fallocate(fd, 0, size) == 0;
  for (std::size_t put = 0; done && put < bytes.size();) {
    const ssize_t wrote =
        pwrite(fd, bytes.data() + put, bytes.size() - put, static_cast<off_t>(put));
    if (wrote < 0 && errno == EINTR) continue;
    done = wrote > 0;
    if (done) put += static_cast<std::size_t>(wrote);
  }
  if (done && ftruncate(fd, size) == 0) return true;
  [[maybe_unused]] const bool restored = ftruncate(fd, info.st_size) == 0;  // the old size
  return false;
}

void CloseDiscardingCreated(File &file, const char *name) noexcept {
  struct stat open {};
  struct stat named {};
  // While still ours, and only when the name still leads to it.
  if (file.IsOpen() && file.created && fstat(static_cast<int>(file.native), &open) == 0 &&
      lstat(name, &named) == 0 && open.st_dev == named.st_dev && open.st_ino == named.st_ino)
    unlink(name);
  file = File();
}

bool CloseFile(File &file) noexcept {
  if (!file.IsOpen()) return true;
  const int fd = static_cast<int>(file.native);
  file.native = File::kNoFile;
  return close(fd) == 0 || errno == EINTR;  // after EINTR the descriptor is gone all the same
}

namespace {

// The names SQLite gives the database's own files: the database and its companions.
constexpr const char *kDatabaseFileSuffixes[] = {"", "-wal", "-shm", "-journal"};
constexpr std::size_t kPathRoom = PATH_MAX + sizeof "-journal";

bool SameIdentity(const struct stat &a, const struct stat &b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Calls `visit` with the full path of each of the database's own files, the way SQLite
// names them (the database's path with its symbolic links resolved, then each suffix),
// until it returns true; returns whether one did. False when `database` names no file
// on disk (":memory:", the empty name of a temporary database).
template <typename Visit>
bool AnyDatabaseFile(const char *database, Visit visit) {
  char path[kPathRoom];
  if (realpath(database, path) == nullptr) return false;
  const std::size_t length = std::strlen(path);
  for (const char *suffix : kDatabaseFileSuffixes) {
    std::strcpy(path + length, suffix);
    if (visit(static_cast<const char *>(path))) return true;
  }
  return false;
}

// The identity of the folder that holds `path`, and where its last name starts. False
// when the folder cannot be reached.
bool FolderOf(const char *path, struct stat &folder, const char **base) {
  const char *slash = std::strrchr(path, '/');
  *base = slash == nullptr ? path : slash + 1;
  char name[kPathRoom];
  const std::size_t length =
      slash == nullptr ? 0 : static_cast<std::size_t>(slash - path) + (slash == path ? 1 : 0);
  if (length >= sizeof name) return false;
  std::memcpy(name, slash == nullptr ? "." : path, slash == nullptr ? 1 : length);
  name[slash == nullptr ? 1 : length] = '\0';
  return stat(name, &folder) == 0;
}

}  // namespace

bool NamesDatabaseFile(const char *name, const char *database) noexcept {
  struct stat target {};
  if (stat(name, &target) == 0) {
    return AnyDatabaseFile(database, [&](const char *path) {
      struct stat own {};
      return stat(path, &own) == 0 && SameIdentity(own, target);
    });
  }
  // A missing file (or a dangling link, which no open follows to create its target) is
  // one of them when it would be made where SQLite makes one: the same folder, reached
  // by any path (a link, a bind mount), and the same name.
  struct stat folder {};
  const char *base = nullptr;
  return FolderOf(name, folder, &base) && AnyDatabaseFile(database, [&](const char *path) {
           struct stat own {};
           const char *ownBase = nullptr;
           return FolderOf(path, own, &ownBase) && SameIdentity(own, folder) &&
                  std::strcmp(ownBase, base) == 0;
         });
}

bool IsDatabaseFile(const File &file, const char *database) noexcept {
  struct stat open {};
  if (fstat(static_cast<int>(file.native), &open) != 0) return false;
  return AnyDatabaseFile(database, [&](const char *path) {
    struct stat own {};
    return stat(path, &own) == 0 && SameIdentity(own, open);
  });
}

bool FileNameAsUtf8(std::string_view name, char (&out)[kUtf8NameRoom]) noexcept {
  if (name.size() >= kUtf8NameRoom) return false;
  std::memcpy(out, name.data(), name.size());
  out[name.size()] = '\0';
  return true;
}

void *OpenLibraryIn(LibraryFolder folder, const char *fileName) noexcept {
  char path[kPathRoom];
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
  }  // no system folder: the system's own search is not one of the trusted places
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

void PauseMilliseconds(unsigned milliseconds) noexcept {
  timespec wait{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

}  // namespace kiv::platform
