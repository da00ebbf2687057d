// The BLOB files on POSIX: an exclusive, non-blocking flock stands in for Windows' share
// mode 0 between our own openers, and a file with no write permission bit is opened for
// reading only, like a Windows file with the read-only attribute. A call that a signal
// interrupted before it did anything is made again; close is not (the descriptor is gone
// all the same), and its failure counts.
#include "platform/blob_file.h"
#include "platform/file_names.h"
#include "platform/os_calls.h"
#include "platform/process.h"

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

// One open attempt: the descriptor of a plain file held under an exclusive lock, or -1,
// with `*held` set when the lock is what another opener holds. `*created` tells whether
// this attempt made the file.
int OpenLocked(const char *name, int access, IfMissing missing, bool *held, bool *created) {
  const int flags = access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;  // a FIFO never hangs us
  int fd = Retrying([&] { return os.open(name, flags, 0); });
  if (fd < 0 && errno == ENOENT && missing == IfMissing::Create) {
    fd = Retrying([&] { return os.open(name, flags | O_CREAT | O_EXCL, 0666); });
    *created = fd >= 0;
  }
  if (fd < 0) return -1;
  struct stat info {};
  const bool plain = os.fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (!plain || Retrying([&] { return os.flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
    *held = plain && errno == EWOULDBLOCK;
    if (*created) os.unlink(name);  // made by this attempt with O_EXCL: still ours
    *created = false;
    os.close(fd);
    return -1;
  }
  const int status = os.fcntl(fd, F_GETFL, 0);
  if (status != -1) os.fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  return fd;
}

}  // namespace

File &File::operator=(File &&other) noexcept {
  if (this != &other) {
    if (IsOpen()) os.close(Fd(*this));
    native = other.native;
    created = other.created;
    other.native = kNoFile;
  }
  return *this;
}

File::~File() {
  if (IsOpen()) os.close(Fd(*this));
}

File OpenUnshared(const char *name, IfMissing missing) noexcept {
  if (NotAPlainFile(name)) return File();
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
  *size = 0;
  if (os.fstat(Fd(file), &info) != 0 || info.st_size < 0) return false;
  *size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool ReadFromStart(const File &file, char *buffer, std::size_t length,
                   std::size_t *received) noexcept {
  *received = 0;
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got = Retrying(
        [&] { return os.pread(Fd(file), buffer + done, length - done, static_cast<off_t>(done)); });
    if (got < 0) return false;
    if (got == 0) break;  // the file ends here
    done += static_cast<std::size_t>(got);
  }
  *received = done;
  return true;
}

bool HasBytesPast(const File &file, std::uint64_t at, bool *more) noexcept {
  char byte = 0;
  const ssize_t got =
      Retrying([&] { return os.pread(Fd(file), &byte, 1, static_cast<off_t>(at)); });
  *more = got > 0;
  return got >= 0;
}

bool CloseFile(File &file) noexcept {
  if (!file.IsOpen()) return true;
  const int fd = Fd(file);
  file.native = File::kNoFile;
  return os.close(fd) == 0;
}

FileIdentity IdentityOf(const File &file) noexcept {
  struct stat info {};
  if (os.fstat(Fd(file), &info) != 0) return {};
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), true};
}

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

File ReopenSame(const char *name, const FileIdentity &identity) noexcept {
  if (!identity.known) return File();
  File file(Retrying([&] { return os.open(name, O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0); }),
            false);
  if (file.native < 0) return File();
  const FileIdentity found = IdentityOf(file);
  if (!found.known || found.volume != identity.volume || found.index != identity.index ||
      Retrying([&] { return os.flock(Fd(file), LOCK_EX | LOCK_NB); }) != 0)
    return File();
  return file;
}

void RemoveIfSame(const char *name, const FileIdentity &identity) noexcept {
  struct stat named {};
  if (identity.known && os.lstat(name, &named) == 0 &&
      static_cast<std::uint64_t>(named.st_dev) == identity.volume &&
      static_cast<std::uint64_t>(named.st_ino) == identity.index)
    os.unlink(name);
}

}  // namespace kiv::platform
