// posix_fallocate and pwrite of the host-test process, passing on to the C library's
// posix_fallocate64 and pwrite64 (the same functions under their other names) unless a
// test has armed a fault.
#include "support/disk_faults.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

enum Mode { kNormal, kFull, kFailing };
std::atomic<int> mode{kNormal};
std::atomic<std::size_t> room{0};  // bytes a full disk still takes

}  // namespace

namespace kiv::test::disk {

void FillUpAfter(std::size_t bytes) {
  room = bytes;
  mode = kFull;
}

void FailWrites() { mode = kFailing; }

}  // namespace kiv::test::disk

// Exported, so that the module's calls land here.
extern "C" {

__attribute__((visibility("default"))) int posix_fallocate(int fd, off_t offset, off_t length) {
  return mode == kFull ? ENOSPC : posix_fallocate64(fd, offset, length);
}

__attribute__((visibility("default"))) ssize_t pwrite(int fd, const void *bytes, std::size_t count,
                                                      off_t offset) {
  if (mode == kFailing) {
    errno = EIO;
    return -1;
  }
  if (mode == kFull) {
    if (room == 0) {
      errno = ENOSPC;
      return -1;
    }
    if (count > room) count = room;
    room -= count;
  }
  return pwrite64(fd, bytes, count, offset);
}

}  // extern "C"
