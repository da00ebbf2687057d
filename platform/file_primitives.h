// The file primitives that each system implements with these signatures
// (blob_file_posix.cpp, blob_file_win32.cpp); blob_file.cpp builds the policy on them
// once for both: the retries, the order of the steps and how each failure is undone.
// Outputs come last and are cleared first. Every system call goes through os_calls.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/blob_file.h"
#include "platform/file_names.h"

namespace kiv::platform {

// Room for a path the layer makes: a target's full path (a symbolic link's end) with a
// new file's suffix after it.
inline constexpr std::size_t kPathRoom = 4096 + 64;
using PathText = char[kPathRoom];

// What one try at a call came to. kHeld: another opener holds the file (a virus scanner,
// an image preview), so a later try may succeed.
enum class Attempt { kDone, kHeld, kFailed };

// One try at OpenUnshared's work, after its name checks: `file` is open on kDone;
// `missing` tells that no file, and no link, has the name.
Attempt TryOpenUnshared(const char *name, File &file, bool &missing) noexcept;

// Closes a descriptor or handle. False when the close reports an error.
bool CloseNative(intptr_t native) noexcept;

// Which file an open file is: device and inode, or volume serial and file index.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool known = false;  // false when it could not be read
};
FileIdentity IdentityOf(const File &file) noexcept;

// --- Replacing by a new file.

// Sets `place` to the path a new file must be renamed onto to replace the file `name`
// (a symbolic link's end, so that the link stays a link). False when the open `target`
// must be written in place instead: it has other names (hard links), or the system
// cannot replace it by name and keep what it is (a link on Windows).
bool PlaceToReplace(const char *name, const File &target, PathText &place) noexcept;

// What came of CreateFresh.
enum class Created { kYes, kTaken, kRefused, kFailed };

// Creates the new file `name` for writing; no existing file is ever opened (kTaken). It
// gets the open `target`'s permissions and owner, or a new file's defaults when
// `target` is closed. kRefused when the folder refuses a new file or the owner cannot
// be given: the target may still be written in place.
Created CreateFresh(const char *name, const File &target, File &fresh) noexcept;

// Renames the closed file `fresh` onto `place` in one step and makes the rename reach
// the disk; `replacing` tells that a file is there to be replaced. A target another
// opener holds is tried again as OpenUnshared does. False when it was not renamed.
bool PutInPlace(const char *fresh, const char *place, bool replacing) noexcept;

// Removes the file `name`.
void RemoveFile(const char *name) noexcept;

// A number of this process, for names no other process makes at the same time.
unsigned ProcessNumber() noexcept;

// --- Writing in place, for a target that cannot be replaced by name.

// Reserves room on the disk for every byte of the file resized to `newSize` before any
// old byte is overwritten (a sparse file's holes too). False when the disk refuses.
bool SecureRoom(const File &file, std::uint64_t oldSize, std::uint64_t newSize) noexcept;

// Writes all of `bytes` at the start of the file. False when any of them is refused.
bool WriteFromStart(const File &file, std::string_view bytes) noexcept;

// Sets the file's length to `size`. False on failure.
bool CutTo(const File &file, std::uint64_t size) noexcept;

// Makes what was written reach the disk (fdatasync, FlushFileBuffers). False on failure.
bool FlushFile(const File &file) noexcept;

// One try at opening the existing file `name` for writing, without sharing, when it is
// still the file of `identity`.
Attempt TryReopen(const char *name, const FileIdentity &identity, File &file) noexcept;

// --- Telling the database's own files (database_files.cpp), never opening one.

// A path in the system's own characters (UTF-16 on Windows), with room for a suffix.
#ifdef _WIN32
using PathChar = wchar_t;
inline constexpr std::size_t kNativePathRoom = kFileNameRoom + 16;
#else
using PathChar = char;
inline constexpr std::size_t kNativePathRoom = 4096 + 16;
#endif
struct NativePath {
  PathChar text[kNativePathRoom];
};

// What looking at a path found. kUnknown: it could not be told (an I/O error).
enum class Found { kYes, kMissing, kUnknown };

// Sets `path` to the path the system checks `name` by (Windows: its full path). False
// when it cannot be made.
bool TargetPath(const char *name, NativePath &path) noexcept;

// Sets `path` to the database file's full path as SQLite makes it. kMissing for a
// database with no file on disk (":memory:", the empty name, a name that leads nowhere).
Found DatabasePath(const char *database, NativePath &path) noexcept;

// Appends the ASCII `suffix` to `path` (there is room for "-journal").
void AppendSuffix(NativePath &path, const char *suffix) noexcept;

// Sets `identity` to that of the file or folder at `path`, looked at without opening it
// for any access; kMissing when there is none (or a device, which is not looked at).
Found IdentityAt(const NativePath &path, FileIdentity &identity) noexcept;

// Cuts `path` to its folder and copies its last name to `name`; sets `folder` to the
// folder's identity, with IdentityAt's answer.
Found SplitAt(NativePath &path, NativePath &name, FileIdentity &folder) noexcept;

// True when two names are the same as the file system compares them (Windows ignores
// letter case).
bool SameName(const NativePath &a, const NativePath &b) noexcept;

// --- Shared by the systems' files (blob_file.cpp).

// Waits before try number `tries` + 1 of a file another opener holds: 25 ms after the
// first, 25 ms more after each next, 0.9 s in all. False when the tries are spent.
bool WaitForHolder(int tries) noexcept;

// Makes `attempt` (which returns an Attempt) again while it answers kHeld and
// WaitForHolder allows. True when it answered kDone.
template <typename Try>
bool RetryWhileHeld(Try attempt) noexcept {
  for (int tries = 1;; ++tries) {
    const Attempt result = attempt();
    if (result != Attempt::kHeld || !WaitForHolder(tries)) return result == Attempt::kDone;
  }
}

}  // namespace kiv::platform
