// Test support: the module's writes to a BLOB target (posix_fallocate, pwrite) pass
// through disk_faults.cpp, which takes the C library's place in the host-test process,
// so that a test can make the disk fail as real ones do. Arm it only in a child process
// (SQLite writes with write(), so its own files are never affected).
#pragma once

#include <cstddef>

namespace kiv::test::disk {

// A nearly full disk: room is refused, and writes stop once `bytes` more are written
// (ENOSPC). A failing disk: room is given, every write fails at once (EIO).
void FillUpAfter(std::size_t bytes);
void FailWrites();

}  // namespace kiv::test::disk
