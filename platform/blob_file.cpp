// The BLOB files' policy, the same on every system: who owns a File, how long a file
// another opener holds is waited for, and how a target is replaced: the order of the
// steps and how a failure of each is undone. The primitives are the systems' own
// (file_primitives.h).
#include "platform/blob_file.h"

#include <cstdint>
#include <cstring>

#include "base/byte_buffer.h"
#include "platform/file_names.h"
#include "platform/file_primitives.h"
#include "platform/process.h"

namespace kiv::platform {

File::File(File &&other) noexcept : native(other.native), writable(other.writable) {
  other.native = kNoFile;
}

File &File::operator=(File &&other) noexcept {
  if (this != &other) {
    CloseFile(*this);
    native = other.native;
    writable = other.writable;
    other.native = kNoFile;
  }
  return *this;
}

File::~File() { CloseFile(*this); }

bool CloseFile(File &file) noexcept {
  if (!file.IsOpen()) return true;
  const intptr_t native = file.native;
  file.native = File::kNoFile;
  return CloseNative(native);
}

bool WaitForHolder(int tries) noexcept {
  constexpr int kMostTries = 9;
  if (tries >= kMostTries) return false;
  PauseMilliseconds(25u * static_cast<unsigned>(tries));
  return true;
}

File OpenUnshared(const char *name, bool &missing) noexcept {
  missing = false;
  File file;
  // Only a plain file or a missing one: opening a device (a serial port) has effects.
  if (NotAPlainFile(name)) return file;
  RetryWhileHeld([&] { return TryOpenUnshared(name, file, missing); });
  return file;
}

namespace {

// Makes `old` the whole content of `file` again: its bytes from the start, when new ones
// may have reached the file (`rewrite`), then its length, then a flush.
void PutBack(const File &file, std::string_view old, bool rewrite) {
  if (rewrite) WriteFromStart(file, old);
  CutTo(file, old.size());
  FlushFile(file);
}

// Writes `bytes` over the content of the open `file`, for a target that cannot be
// replaced by name (hard links, a folder that refuses a new file).
//   step                          what it changes          a failure
//   1 old content into memory     nothing                  kNoMemory / kNo: untouched
//   2 room for the new size       the file's allocation    the length put back
//   3 write, cut, flush           the file                 the old bytes put back
//   4 close                       a deferred write         reopened, the old bytes put back
Replaced WriteInPlace(File &file, const char *name, std::string_view bytes) {
  std::uint64_t oldSize = 0;
  ByteBuffer old;
  if (!FileSize(file, oldSize)) return Replaced::kNo;
  if (oldSize >= SIZE_MAX || !old.Resize(static_cast<std::size_t>(oldSize)))
    return Replaced::kNoMemory;
  const FileIdentity identity = IdentityOf(file);
  std::size_t got = 0;
  if (!ReadFromStart(file, old.data(), old.size(), got) || got != old.size()) return Replaced::kNo;
  const bool room = SecureRoom(file, oldSize, bytes.size());
  if (!room || !WriteFromStart(file, bytes) || !CutTo(file, bytes.size()) || !FlushFile(file)) {
    PutBack(file, old.view(), room);
    return Replaced::kNo;
  }
  if (CloseFile(file)) return Replaced::kYes;
  // The close reported a write it could not complete: undone through the name, as long
  // as it still leads to the same file (another opener may hold it for a moment).
  File again;
  if (identity.known && RetryWhileHeld([&] { return TryReopen(name, identity, again); })) {
    PutBack(again, old.view(), true);
    CloseFile(again);
  }
  return Replaced::kNo;
}

// Appends to `out` the hexadecimal digits of `number`, eight of them.
char *PutHex(char *out, std::uint32_t number) {
  for (int shift = 28; shift >= 0; shift -= 4) *out++ = "0123456789abcdef"[(number >> shift) & 15];
  return out;
}

// Creates a new file beside `place`, named "<place>.kivsqlite3-<8 hex digits>.tmp"
// (never the name of an existing file, so never one of the database's), with the
// target's permissions; its name goes to `freshName`.
Created CreateBeside(const char *place, const File &target, PathText &freshName, File &fresh) {
  constexpr std::string_view kTag = ".kivsqlite3-";
  constexpr std::string_view kEnd = ".tmp";
  const std::string_view base(place);
  if (base.size() + kTag.size() + 8 + kEnd.size() >= kPathRoom) return Created::kRefused;
  Created created = Created::kTaken;
  for (std::uint32_t n = 0; n < 100 && created == Created::kTaken; ++n) {
    char *end = freshName;
    for (const std::string_view piece : {base, kTag}) {
      std::memcpy(end, piece.data(), piece.size());
      end += piece.size();
    }
    end = PutHex(end, ProcessNumber() * 100u + n);
    std::memcpy(end, kEnd.data(), kEnd.size());
    end[kEnd.size()] = '\0';
    created = CreateFresh(freshName, target, fresh);
  }
  return created;
}

}  // namespace

// How ReplaceWhole changes the disk, and how a failure of each step is undone:
//   step                                      what it changes       a failure
//   1 create "<target>.kivsqlite3-N.tmp"      a new file beside     nothing made; refused
//     with the target's permissions                                 by the folder: in place
//   2 write the value, flush, close           the new file          the new file removed
//   3 rename it onto the target (POSIX:       the target, in one    the new file removed;
//     then flush the folder; Windows:         step                  the target untouched
//     ReplaceFile, MoveFileEx)
// A process ended before step 3 leaves the target whole and the new file beside it.
Replaced ReplaceWhole(File target, const char *name, std::string_view bytes) noexcept {
  if (target.IsOpen() && !target.writable) return Replaced::kNo;  // read-only
  PathText place;
  if (!PlaceToReplace(name, target, place)) return WriteInPlace(target, name, bytes);
  PathText freshName;
  File fresh;
  switch (CreateBeside(place, target, freshName, fresh)) {
    case Created::kYes:
      break;
    case Created::kRefused:
      if (target.IsOpen()) return WriteInPlace(target, name, bytes);
      [[fallthrough]];
    case Created::kTaken:
    case Created::kFailed:
      return Replaced::kNo;
  }
  const bool written = WriteFromStart(fresh, bytes) && FlushFile(fresh);
  const bool closed = CloseFile(fresh);
  const bool replacing = target.IsOpen();
  CloseFile(target);  // Windows replaces no file that is open without sharing
  if (written && closed && PutInPlace(freshName, place, replacing)) return Replaced::kYes;
  RemoveFile(freshName);
  return Replaced::kNo;
}

}  // namespace kiv::platform
