// The platform layer on POSIX systems. Host memory is calloc/free. Files: an
// exclusive, non-blocking flock stands in for Windows' share mode 0 between our own
// openers, and a file with no write permission bit is opened for reading only, like a
// Windows file with the read-only attribute. File names are bytes, kept as they are;
// libraries load with dlopen.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
  if (size > info.st_size && posix_fallocate(fd, 0, size) != 0) {
    // Whatever room was added goes again; the old bytes were never touched.
    [[maybe_unused]] const bool shrunk = ftruncate(fd, info.st_size) == 0;
    return false;
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put =
        pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return ftruncate(fd, size) == 0;
}

void CloseDiscardingCreated(File &file, const char *name) noexcept {
  if (file.IsOpen() && file.created) unlink(name);  // while still ours: nobody reopened it
  file = File();
}

bool SameFile(const File &file, const char *name) noexcept {
  struct stat open {};
  struct stat named {};
  return fstat(static_cast<int>(file.native), &open) == 0 && stat(name, &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool FileNameAsUtf8(std::string_view name, char (&out)[kUtf8NameRoom]) noexcept {
  if (name.size() >= kUtf8NameRoom) return false;
  std::memcpy(out, name.data(), name.size());
  out[name.size()] = '\0';
  return true;
}

void *OpenLibraryBesideModule(const char *fileName) noexcept {
  Dl_info self{};
  if (dladdr(reinterpret_cast<void *>(&OpenLibraryBesideModule), &self) != 0 &&
      self.dli_fname != nullptr) {
    const char *slash = std::strrchr(self.dli_fname, '/');
    char path[4096];
    const std::size_t folder =
        slash == nullptr ? 0 : static_cast<std::size_t>(slash - self.dli_fname) + 1;
    if (folder + std::strlen(fileName) < sizeof path) {
      std::memcpy(path, self.dli_fname, folder);
      std::strcpy(path + folder, fileName);
      if (void *library = dlopen(path, RTLD_NOW | RTLD_LOCAL)) return library;
    }
  }
  return dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
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
