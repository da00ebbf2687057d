// The files of the BLOB actions: opened without any sharing, read whole, and replaced so
// that whichever single call fails, the file ends as it was. CreateFileA and friends on
// Windows; on POSIX a stand-in with the same contract (an exclusive advisory lock, and a
// file without write permission treated as read-only, as Windows treats a file with the
// read-only attribute, even for root). Every call goes through the table of os_calls.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kiv::platform {

// An open file; closed when it goes out of scope. `native` is the descriptor (POSIX)
// or the HANDLE (Windows); kNoFile means none.
struct File {
  static constexpr intptr_t kNoFile = -1;
  intptr_t native = kNoFile;
  bool created = false;  // this open made the file

  File() noexcept = default;
  File(intptr_t handle, bool made) noexcept : native(handle), created(made) {}
  File(File &&other) noexcept : native(other.native), created(other.created) {
    other.native = kNoFile;
  }
  File &operator=(File &&other) noexcept;
  File(const File &) = delete;
  File &operator=(const File &) = delete;
  ~File();

  bool IsOpen() const noexcept { return native != kNoFile; }
};

enum class IfMissing { Fail, Create };

// A file another opener holds is tried this many more times, after waits of 25, 50,
// ... 200 ms: 0.9 s in all.
inline constexpr int kHeldFileRetries = 8;
inline constexpr unsigned HeldFileWait(int attempt) {
  return 25u * static_cast<unsigned>(attempt + 1);
}

// Opens the plain file `name` (a zero-terminated text, bytes passed unchanged) with no
// sharing: no other opener is admitted while it is open. Asks for reading and writing
// first and, when that is refused, once more for reading alone. A missing file fails or
// is created empty, as `missing` says. Folders and devices are refused before anything
// is opened (NotAPlainFile). A file that another opener holds (a virus scanner, an image
// preview) is tried again a few times over about a second, as SQLite does for its own
// files. The result is not open when every attempt was refused.
File OpenUnshared(const char *name, IfMissing missing) noexcept;

// The file's size in bytes into `*size` (0 on failure). False when it cannot be taken.
bool FileSize(const File &file, std::uint64_t *size) noexcept;

// Reads up to `length` bytes from the start of the file into `buffer`, to its end at
// most; `*received` is the count that arrived (0 on failure). False on a read error.
bool ReadFromStart(const File &file, char *buffer, std::size_t length,
                   std::size_t *received) noexcept;

// Sets `*more` when the file holds a byte at offset `at` (it grew while it was read; a
// file whose size reads 0 and yet has content). False on a read error.
bool HasBytesPast(const File &file, std::uint64_t at, bool *more) noexcept;

// What came of ReplaceContent.
enum class Replaced {
  kYes,       // the file holds exactly the new bytes, flushed to the disk
  kNo,        // a call failed: the file is as it was (a file the open made is gone)
  kNoMemory,  // the old content could not be kept in memory: nothing was touched
};

// Makes `bytes` the whole content of the open `file`, which the name `name` reaches,
// and closes it. The old content is kept in memory first (its whole size), so that a
// failure of any later call (room, write, cut, flush, even the close) can put it back.
// Room for every new byte is secured before the first old byte is overwritten (also
// where the file does not grow: the holes of a sparse file need room too), so that a
// full disk refuses at once; the data is flushed before the close, so that a deferred
// write error shows while it can still be undone.
Replaced ReplaceContent(File &file, const char *name, std::string_view bytes) noexcept;

// Closes `file`, and removes the file `name` when this open created it and the name
// still leads to it: a failed action leaves no new file behind.
void CloseDiscardingCreated(File &file, const char *name) noexcept;

// Closes `file`. False when the close reports an error: a write that only the close
// could complete (a network share's write-back) may have failed.
bool CloseFile(File &file) noexcept;

// --- The steps ReplaceContent takes (blob_file.cpp), each implemented per system.

// Which file an open file is: device and inode, or volume serial and file index.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool known = false;  // false when it could not be taken
};
FileIdentity IdentityOf(const File &file) noexcept;

// Room on the disk for every byte of the file grown or cut to `newSize`, taken before
// any old byte is overwritten. False when the disk refuses.
bool SecureRoom(const File &file, std::uint64_t oldSize, std::uint64_t newSize) noexcept;

// Writes all of `bytes` at the start of the file. False when any of them is refused.
bool WriteFromStart(const File &file, std::string_view bytes) noexcept;

// Sets the file's length to `size`.
bool CutTo(const File &file, std::uint64_t size) noexcept;

// Makes what was written reach the disk (fdatasync, FlushFileBuffers).
bool FlushFile(const File &file) noexcept;

// Opens the existing file `name` for writing, without sharing, when it is still the
// file of `identity`; not open otherwise.
File ReopenSame(const char *name, const FileIdentity &identity) noexcept;

// Removes the file `name` (closed) when it is still the file of `identity`.
void RemoveIfSame(const char *name, const FileIdentity &identity) noexcept;

}  // namespace kiv::platform
