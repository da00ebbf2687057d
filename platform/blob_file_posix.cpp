// The BLOB files' primitives on POSIX: a non-blocking exclusive flock stands in for
// Windows' share mode 0 between our own openers, and a file with no write permission bit
// is opened for reading only. A call that a signal interrupted before it did anything is
// made again; close is not (the descriptor is gone all the same).
#include <climits>
#include <cstring>
#include <utility>

#include "platform/file_primitives.h"
#include "platform/os_calls.h"

namespace kiv::platform {
namespace {

int Fd(const File &file) { return static_cast<int>(file.native); }

// Makes `call` again while it fails with EINTR.
template <typename Call>
auto Retrying(Call call) {
  auto result = call();
  while (result == -1 && errno == EINTR) result = call();
  return result;
}

bool LacksWritePermission(const char *name) {
  struct stat info {};
  return os.stat(name, &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// One open of the existing plain file `name` with `access`, held under an exclusive
// lock. Returns the descriptor, or -1 with errno set (EWOULDBLOCK: another opener holds
// the lock).
int OpenLocked(const char *name, int access) {
  const int fd = Retrying([&] {
    return os.open(name, access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0);
  });  // no FIFO hangs us
  if (fd < 0) return -1;
  struct stat info {};
  if (os.fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      Retrying([&] { return os.flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
    const int error = S_ISREG(info.st_mode) ? errno : EISDIR;
    os.close(fd);
    errno = error;
    return -1;
  }
  const int status = os.fcntl(fd, F_GETFL, 0);
  if (status != -1) os.fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  return fd;
}

bool SameFile(const struct stat &info, const FileIdentity &identity) {
  return identity.known && static_cast<std::uint64_t>(info.st_dev) == identity.volume &&
         static_cast<std::uint64_t>(info.st_ino) == identity.index;
}

}  // namespace

Attempt TryOpenUnshared(const char *name, File &file, bool &missing) noexcept {
  missing = false;
  const bool writable = !LacksWritePermission(name);
  int fd = writable ? OpenLocked(name, O_RDWR) : -1;
  if (fd >= 0) {
    file = File(fd, true);
    return Attempt::kDone;
  }
  if (!writable || errno != EWOULDBLOCK) fd = OpenLocked(name, O_RDONLY);
  if (fd >= 0) {
    file = File(fd, false);
    return Attempt::kDone;
  }
  if (errno == EWOULDBLOCK) return Attempt::kHeld;
  struct stat link {};
  missing = errno == ENOENT && os.lstat(name, &link) != 0 && errno == ENOENT;  // no dangling link
  return Attempt::kFailed;
}

bool CloseNative(intptr_t native) noexcept { return os.close(static_cast<int>(native)) == 0; }

FileIdentity IdentityOf(const File &file) noexcept {
  struct stat info {};
  if (os.fstat(Fd(file), &info) != 0) return {};
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), true};
}

bool FileSize(const File &file, std::uint64_t &size) noexcept {
  struct stat info {};
  size = 0;
  if (os.fstat(Fd(file), &info) != 0 || info.st_size < 0) return false;
  size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool ReadFromStart(const File &file, char *buffer, std::size_t length,
                   std::size_t &received) noexcept {
  received = 0;
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got = Retrying(
        [&] { return os.pread(Fd(file), buffer + done, length - done, static_cast<off_t>(done)); });
    if (got < 0) return false;
    if (got == 0) break;  // the file ends here
    done += static_cast<std::size_t>(got);
  }
  received = done;
  return true;
}

bool HasBytesPast(const File &file, std::uint64_t at, bool &more) noexcept {
  char byte = 0;
  const ssize_t got =
      Retrying([&] { return os.pread(Fd(file), &byte, 1, static_cast<off_t>(at)); });
  if (got < 0) return false;
  more = got > 0;
  return true;
}

bool PlaceToReplace(const char *name, const File &target, PathText &place) noexcept {
  const char *path = name;
  char resolved[PATH_MAX];
  if (target.IsOpen()) {
    struct stat info {};
    struct stat link {};
    if (os.fstat(Fd(target), &info) != 0 || info.st_nlink != 1) return false;
    if (os.lstat(name, &link) != 0) return false;
    if (S_ISLNK(link.st_mode)) path = os.realpath(name, resolved);
  }
  if (path == nullptr || std::strlen(path) >= kPathRoom) return false;
  std::strcpy(place, path);
  return true;
}

Created CreateFresh(const char *name, const File &target, File &fresh) noexcept {
  struct stat like {};
  const bool copying = target.IsOpen();
  if (copying && os.fstat(Fd(target), &like) != 0) return Created::kFailed;
  const int fd = Retrying([&] {
    return os.open(name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY,
                   copying ? 0600 : 0666);
  });
  if (fd < 0) {
    if (errno == EEXIST) return Created::kTaken;
    const bool refused = errno == EACCES || errno == EPERM || errno == ENAMETOOLONG;
    return refused ? Created::kRefused : Created::kFailed;
  }
  fresh = File(fd, true);
  if (!copying) return Created::kYes;
  struct stat made {};
  const bool owned =
      os.fstat(fd, &made) == 0 && ((made.st_uid == like.st_uid && made.st_gid == like.st_gid) ||
                                   os.fchown(fd, like.st_uid, like.st_gid) == 0);
  if (owned && os.fchmod(fd, like.st_mode & 07777) == 0) return Created::kYes;
  CloseFile(fresh);
  os.unlink(name);
  return Created::kRefused;
}

bool PutInPlace(const char *fresh, const char *place, bool) noexcept {
  if (os.rename(fresh, place) != 0) return false;
  // The folder's entry reaches the disk too. Should that flush fail, the value is in
  // place all the same, and every reader sees it: the answer stays true.
  const char *slash = std::strrchr(place, '/');
  char folder[kPathRoom] = ".";
  if (slash != nullptr) {
    const std::size_t length = slash == place ? 1 : static_cast<std::size_t>(slash - place);
    std::memcpy(folder, place, length);
    folder[length] = '\0';
  }
  const int fd = Retrying([&] { return os.open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); });
  if (fd >= 0) {
    Retrying([&] { return os.fsync(fd); });
    os.close(fd);
  }
  return true;
}

void RemoveFile(const char *name) noexcept { os.unlink(name); }

unsigned ProcessNumber() noexcept { return static_cast<unsigned>(getpid()); }

bool SecureRoom(const File &file, std::uint64_t, std::uint64_t newSize) noexcept {
  // Every block up to the new size, holes included, is allocated; blocks allocated this
  // way read as zeros, so the old content stays as it was.
  if (newSize == 0) return true;
  int error = EINTR;
  while (error == EINTR) error = os.posix_fallocate(Fd(file), 0, static_cast<off_t>(newSize));
  return error == 0;
}

bool WriteFromStart(const File &file, std::string_view bytes) noexcept {
  for (std::size_t put = 0; put < bytes.size();) {
    const ssize_t wrote = Retrying([&] {
      return os.pwrite(Fd(file), bytes.data() + put, bytes.size() - put, static_cast<off_t>(put));
    });
    if (wrote <= 0) return false;
    put += static_cast<std::size_t>(wrote);
  }
  return true;
}

bool CutTo(const File &file, std::uint64_t size) noexcept {
  return Retrying([&] { return os.ftruncate(Fd(file), static_cast<off_t>(size)); }) == 0;
}

bool FlushFile(const File &file) noexcept {
  return Retrying([&] { return os.fdatasync(Fd(file)); }) == 0;
}

Attempt TryReopen(const char *name, const FileIdentity &identity, File &file) noexcept {
  file = File();
  const int fd = OpenLocked(name, O_RDWR);
  if (fd < 0) return errno == EWOULDBLOCK ? Attempt::kHeld : Attempt::kFailed;
  File opened(fd, true);
  struct stat info {};
  if (os.fstat(fd, &info) != 0 || !SameFile(info, identity)) return Attempt::kFailed;
  file = std::move(opened);
  return Attempt::kDone;
}

}  // namespace kiv::platform
