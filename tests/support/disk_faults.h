// Test support: the writes the module makes to a BLOB target (posix_fallocate and pwrite)
// pass through disk_faults.cpp, which takes the C library's place for the host-test
// process, so that a test can make the disk fail as real ones do. Arm it only in a child
// process the test forks (SQLite writes with write(), so its files are never affected).
#pragma once

#include <cstddef>

namespace kiv::test::disk {

// A nearly full disk: room is refused (ENOSPC), and writes stop with ENOSPC once `bytes`
// more bytes have been written.
void FillUpAfter(std::size_t bytes);

// A failing disk: room is given, but every write fails at once with EIO.
void FailWrites();

}  // namespace kiv::test::disk
