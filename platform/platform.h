// The module's view of the operating system: host memory for the identity texts, the
// files of the BLOB actions and the database's own files they must not touch, file names
// for libraries that read them as UTF-8, and loading a library from a trusted folder. Each contract
// is stated once here; platform_posix.cpp and platform_win32.cpp implement it with the same
// signatures, and CMake picks one. Knows nothing of hosts or SQLite.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kiv::platform {

// --- Host memory: blocks the module hands to the host for keeping (the identity texts).
// GlobalAlloc(GMEM_ZEROINIT)/GlobalFree on Windows, calloc/free elsewhere; the host
// frees them the same way.

// Allocates `size` zero-filled bytes of host memory. Returns null when memory is short.
void *AllocHostBlock(std::size_t size) noexcept;

// Frees a block from AllocHostBlock. A null block is ignored.
void FreeHostBlock(void *block) noexcept;

// --- Files of the BLOB actions: opened without any sharing, read in one piece, written
// in one piece. CreateFileA and friends on Windows; on POSIX a stand-in with the same
// contract (an exclusive advisory lock, and a file without write permission treated as
// read-only, as Windows treats a file with the read-only attribute, even for root).

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

// Opens the regular file `name` (a zero-terminated text, bytes passed unchanged) with no
// sharing: no other opener is admitted while it is open. Asks for reading and writing
// first and, when that is refused, once more for reading alone. A missing file fails or
// is created empty, as `missing` says. Folders, devices, pipes and sockets are refused
// before anything is opened (opening a serial port or a FIFO has effects). A file
// that another opener holds (a virus scanner, an image preview) is tried again a few
// times over about a second, as SQLite does for its own files. The result is not open
// when every attempt was refused.
File OpenUnshared(const char *name, IfMissing missing) noexcept;

// The file's size in bytes. False when it cannot be taken.
bool FileSize(const File &file, std::uint64_t *size) noexcept;

// Reads up to `length` bytes from the start of the file into `buffer`, as one read;
// `*received` is the count that arrived. False on a read error.
bool ReadFromStart(const File &file, char *buffer, std::size_t length,
                   std::size_t *received) noexcept;

// Makes `bytes` the whole content of the file. Room for all of them is secured first,
// also where the file does not grow (the holes of a sparse file need room too), so that
// a full disk refuses before any old byte is overwritten; then one write at the start,
// and the file cut to their length. False when room, the write or the cut is refused;
// the file then has its old size again, and its old content unless the write itself
// failed part-way (an I/O error after the room was secured).
bool ReplaceContent(const File &file, std::string_view bytes) noexcept;

// Closes `file`, and removes the file `name` when this open created it and the name
// still leads to it: a failed action leaves no new file behind.
void CloseDiscardingCreated(File &file, const char *name) noexcept;

// Closes `file`. False when the close reports an error: a write that only the close
// could complete (a network share's write-back) may have failed.
bool CloseFile(File &file) noexcept;

// The database's own files: the file `database` names (as the script sent the name) and
// its companions, the same name with "-wal", "-shm" or "-journal" appended, which SQLite
// keeps beside it. A BLOB action must neither write nor read them, and must not even
// open and close one: on POSIX systems closing any descriptor of a file releases every
// lock the process holds on it, SQLite's included.

// True when `name` is one of the database's own files under any name (a link, a
// symbolic link, another spelling of the path), or names where one would be made.
// Judged by path and file identity, without opening any of them.
bool NamesDatabaseFile(const char *name, const char *database) noexcept;

// True when the open `file` is one of the database's own files (a file renamed between
// NamesDatabaseFile and the open). The caller then keeps `file` open until the database
// is closed.
bool IsDatabaseFile(const File &file, const char *database) noexcept;

// --- File names for libraries that read a file name as UTF-8 (SQLite).

// Room for any name of up to 399 bytes in UTF-8 (3 bytes a character at most).
inline constexpr std::size_t kUtf8NameRoom = 1200;

// Writes into `out` (zero-terminated) the name that such a library must be given to
// reach the file that `name` means. On Windows `name` is meant in the ANSI code page:
// a name that is pure ASCII or already valid UTF-8 is kept; any other is converted to
// UTF-8, except when only the file that the raw bytes name (each invalid byte read as
// U+FFFD, as such a library reads them) exists, which is then kept reachable. Elsewhere
// the bytes are kept. False when the name does not fit.
bool FileNameAsUtf8(std::string_view name, char (&out)[kUtf8NameRoom]) noexcept;

// --- Libraries loaded at run time, from trusted folders only.

// The folders a library may come from, in the order they are tried: the module's own
// folder, the host program's folder, the system folder. Never the current folder or
// PATH, where anyone may leave a file of the same name.
enum class LibraryFolder { kModule, kHostProgram, kSystem };
inline constexpr LibraryFolder kTrustedLibraryFolders[] = {
    LibraryFolder::kModule, LibraryFolder::kHostProgram, LibraryFolder::kSystem};

// Loads the library `fileName` from `folder` by its full path. Null when the folder has
// no such file or it cannot be loaded (on Windows: not a 32-bit DLL).
void *OpenLibraryIn(LibraryFolder folder, const char *fileName) noexcept;

// The address of `name` in `library`, or null.
void *FindSymbol(void *library, const char *name) noexcept;

// Unloads a library from OpenLibraryIn.
void CloseLibrary(void *library) noexcept;

// Waits `milliseconds` before going on.
void PauseMilliseconds(unsigned milliseconds) noexcept;

}  // namespace kiv::platform
