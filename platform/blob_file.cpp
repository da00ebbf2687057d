// ReplaceContent and CloseDiscardingCreated, the same on every system: the order of the
// steps, and how a failure of any one of them is undone. The steps themselves are
// blob_file_posix.cpp's and blob_file_win32.cpp's.
#include "platform/blob_file.h"

#include <cstdint>

#include "base/byte_buffer.h"

namespace kiv::platform {
namespace {

// Makes `old` the whole content of `file` again: its bytes from the start, when new ones
// may have reached the file (`rewrite`), then its length, then a flush.
void PutBack(const File &file, std::string_view old, bool rewrite) {
  if (rewrite) WriteFromStart(file, old);
  CutTo(file, old.size());
  FlushFile(file);
}

}  // namespace

Replaced ReplaceContent(File &file, const char *name, std::string_view bytes) noexcept {
  std::uint64_t oldSize = 0;
  std::size_t got = 0;
  ByteBuffer old;
  if (!FileSize(file, &oldSize)) {
    CloseDiscardingCreated(file, name);
    return Replaced::kNo;
  }
  if (oldSize >= SIZE_MAX || !old.Resize(static_cast<std::size_t>(oldSize))) {
    CloseDiscardingCreated(file, name);
    return Replaced::kNoMemory;
  }
  const FileIdentity identity = IdentityOf(file);
  const bool created = file.created;
  if (!ReadFromStart(file, old.data(), old.size(), &got) || got != old.size()) {
    CloseDiscardingCreated(file, name);
    return Replaced::kNo;
  }
  const bool room = SecureRoom(file, oldSize, bytes.size());
  if (!room || !WriteFromStart(file, bytes) || !CutTo(file, bytes.size()) || !FlushFile(file)) {
    if (!created) PutBack(file, old.view(), room);
    CloseDiscardingCreated(file, name);
    return Replaced::kNo;
  }
  if (CloseFile(file)) return Replaced::kYes;
  // The close reported a write it could not complete: undone through the name, as long
  // as it still leads to the same file.
  if (created) {
    RemoveIfSame(name, identity);
  } else if (File again = ReopenSame(name, identity); again.IsOpen()) {
    PutBack(again, old.view(), true);
    CloseFile(again);
  }
  return Replaced::kNo;
}

void CloseDiscardingCreated(File &file, const char *name) noexcept {
  if (!file.IsOpen()) return;
  const bool created = file.created;
  const FileIdentity identity = created ? IdentityOf(file) : FileIdentity{};
  CloseFile(file);  // first: Windows deletes no file that is open without sharing
  if (created) RemoveIfSame(name, identity);
}

}  // namespace kiv::platform
