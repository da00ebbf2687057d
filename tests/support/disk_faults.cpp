// posix_fallocate and pwrite of the host-test process (exported, so that the module's
// calls land here), passing on to the C library's posix_fallocate64 and pwrite64 (the
// same functions under their other names) unless a fault is armed.
#include "support/disk_faults.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {
enum { kNormal, kFull, kFailing } mode = kNormal;
std::size_t room = 0;  // bytes a full disk still takes
}  // namespace

void kiv::test::disk::FillUpAfter(std::size_t bytes) { room = bytes, mode = kFull; }
void kiv::test::disk::FailWrites() { mode = kFailing; }

extern "C" __attribute__((visibility("default"))) int posix_fallocate(int fd, off_t at, off_t n) {
  return mode == kFull ? ENOSPC : posix_fallocate64(fd, at, n);
}

extern "C" __attribute__((visibility("default"))) ssize_t pwrite(int fd, const void *bytes,
                                                                 std::size_t count, off_t at) {
  if (mode == kFull && count > room) count = room;
  if (mode == kFailing || (mode == kFull && count == 0)) {
    errno = mode == kFailing ? EIO : ENOSPC;
    return -1;
  }
  if (mode == kFull) room -= count;
  return pwrite64(fd, bytes, count, at);
}
