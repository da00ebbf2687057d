// The module's view of the operating system: host memory for the identity texts, the
// files of the BLOB actions, file names for libraries that read them as UTF-8, and
// loading a library from the module's own folder. Each contract is stated once here;
// platform_posix.cpp and platform_win32.cpp implement it with the same signatures, and
// CMake picks one. Knows nothing of hosts or SQLite.
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
// is created empty, as `missing` says. Folders, devices and pipes are refused. A file
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

// Makes `bytes` the whole content of the file: room for them is secured first (the file
// grown to their length where it is shorter), so that a full disk refuses before any
// old byte is overwritten and leaves the old content whole; then one write at the
// start, and the file cut to their length. False when room, the write or the cut is
// refused.
bool ReplaceContent(const File &file, std::string_view bytes) noexcept;

// Closes `file`, and removes the file `name` when this open created it: a failed action
// leaves no new file behind.
void CloseDiscardingCreated(File &file, const char *name) noexcept;

// True when the open `file` is the file `name` names (any other name for it included:
// a link, another path). The BLOB actions refuse the open database as their file.
bool SameFile(const File &file, const char *name) noexcept;

// --- File names for libraries that read a file name as UTF-8 (SQLite).

// Room for any name of up to 399 bytes in UTF-8 (3 bytes a character at most).
inline constexpr std::size_t kUtf8NameRoom = 1200;

// Writes into `out` (zero-terminated) the name that such a library must be given to
// reach the file that `name` means. On Windows `name` is meant in the ANSI code page:
// a name that is pure ASCII or already valid UTF-8 is kept; any other is converted to
// UTF-8, except when only the file that the raw bytes name (each invalid byte read as
// U+FFFD, as such a library did before) exists, which is then kept reachable. Elsewhere
// the bytes are kept. False when the name does not fit.
bool FileNameAsUtf8(std::string_view name, char (&out)[kUtf8NameRoom]) noexcept;

// --- Libraries loaded at run time.

// Loads the library `fileName` from the folder of the module itself, else by the
// system's normal search for it. Null when neither gives a library.
void *OpenLibraryBesideModule(const char *fileName) noexcept;

// The address of `name` in `library`, or null.
void *FindSymbol(void *library, const char *name) noexcept;

// Unloads a library from OpenLibraryBesideModule.
void CloseLibrary(void *library) noexcept;

// Waits `milliseconds` before going on.
void PauseMilliseconds(unsigned milliseconds) noexcept;

}  // namespace kiv::platform
