// The files of the BLOB actions: opened without sharing, read whole, and a target
// replaced whole or not at all. Windows' rules hold on every system: on POSIX an
// exclusive advisory lock stands in for share mode 0, and a file without write
// permission counts as read-only, as a Windows file with the read-only attribute.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kiv::platform {

// An open file, closed when it goes out of scope. `native` is the descriptor (POSIX) or
// the HANDLE (Windows), kNoFile when no file is open.
struct File {
  static constexpr intptr_t kNoFile = -1;
  intptr_t native = kNoFile;
  bool writable = false;  // opened for writing as well as reading

  File() noexcept = default;
  File(intptr_t handle, bool forWriting) noexcept : native(handle), writable(forWriting) {}
  File(File &&other) noexcept;
  File &operator=(File &&other) noexcept;
  File(const File &) = delete;
  File &operator=(const File &) = delete;
  ~File();

  bool IsOpen() const noexcept { return native != kNoFile; }
};

// Opens the plain file `name` with no sharing, for reading and writing, or for reading
// alone when it is read-only. Folders and devices are refused unopened. A file another
// opener holds is tried again for about a second. Returns a closed File on failure;
// `missing` tells whether that was because nothing has the name.
File OpenUnshared(const char *name, bool &missing) noexcept;

// Closes `file`. False when the close reports an error (a network share's deferred
// write may have failed).
bool CloseFile(File &file) noexcept;

// Sets `size` to the file's size in bytes. False, with `size` 0, when it cannot be read.
bool FileSize(const File &file, std::uint64_t &size) noexcept;

// Reads up to `length` bytes from the start of the file into `buffer`, stopping at its
// end; `received` is the count read. False, with `received` 0, on a read error.
bool ReadFromStart(const File &file, char *buffer, std::size_t length,
                   std::size_t &received) noexcept;

// Sets `more` when the file holds a byte at offset `at` (it grew while it was read).
// False, with `more` unset, on a read error.
bool HasBytesPast(const File &file, std::uint64_t at, bool &more) noexcept;

// What came of ReplaceWhole.
enum class Replaced {
  kYes,       // the file holds exactly the new bytes, flushed to the disk
  kNo,        // something failed: the file is as it was (a missing one still missing)
  kNoMemory,  // written in place, and its old content did not fit in memory: untouched
};

// Makes `bytes` the whole content of the file `name`: `target` is that file opened by
// OpenUnshared, or a closed File when no file has the name. The bytes go into a new file
// beside it, which then replaces it in one step (blob_file.cpp lists the steps).
Replaced ReplaceWhole(File target, const char *name, std::string_view bytes) noexcept;

}  // namespace kiv::platform
