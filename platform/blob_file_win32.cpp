// The BLOB files' primitives on Windows: CreateFileA with share mode 0, the read-only
// attribute honoured, ReplaceFileA and MoveFileExA to put a new file in place, and the
// steps of writing in place, with a sparse file's holes found before they would need
// room. Only what Windows XP SP3 has is used.
#include <utility>

#include "platform/file_primitives.h"
#include "platform/os_calls.h"

namespace kiv::platform {
namespace {

HANDLE AsHandle(intptr_t native) { return reinterpret_cast<HANDLE>(native); }

// The errors that another opener's hold explains (a sharing violation, access denied
// while a deleted file is let go, a file ReplaceFile could not remove): worth trying
// again shortly.
bool HeldByAnother(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

bool SameFile(const FileIdentity &found, const FileIdentity &identity) {
  return found.known && identity.known && found.volume == identity.volume &&
         found.index == identity.index;
}

bool MoveTo(HANDLE handle, std::uint64_t at) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(at);
  return os.SetFilePointerEx(handle, to, nullptr, FILE_BEGIN) != 0;
}

// The largest piece one ReadFile or WriteFile is given.
constexpr std::size_t kLargestPiece = 1u << 30;

// True when every byte of [0, end) of the sparse file has room on the disk: no hole
// lies there (FSCTL_QUERY_ALLOCATED_RANGES, which Windows XP has too).
bool AllocatedUpTo(HANDLE handle, LONGLONG end) {
  for (LONGLONG at = 0; at < end;) {
    FILE_ALLOCATED_RANGE_BUFFER ask{};
    ask.FileOffset.QuadPart = at;
    ask.Length.QuadPart = end - at;
    FILE_ALLOCATED_RANGE_BUFFER range{};
    DWORD returned = 0;
    // A full buffer with more ranges to come fails with ERROR_MORE_DATA: the first is enough.
    if (!os.DeviceIoControl(handle, FSCTL_QUERY_ALLOCATED_RANGES, &ask, sizeof ask, &range,
                            sizeof range, &returned, nullptr) &&
        GetLastError() != ERROR_MORE_DATA)
      return false;
    if (returned < sizeof range || range.FileOffset.QuadPart > at) return false;  // a hole
    const LONGLONG next = range.FileOffset.QuadPart + range.Length.QuadPart;
    if (next <= at) return false;
    at = next;
  }
  return true;
}

}  // namespace

Attempt TryOpenUnshared(const char *name, File &file, bool &missing) noexcept {
  missing = false;
  const DWORD attributes = os.GetFileAttributesA(name);
  // Windows refuses writing to a read-only file anyway; asking first keeps that rule
  // where it is not enforced (Wine run by root opens such files for writing).
  const bool writable =
      attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0;
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (writable) {
    handle = os.CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  const bool forWriting = handle != INVALID_HANDLE_VALUE;
  if (!forWriting) {
    handle = os.CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  }
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    missing = error == ERROR_FILE_NOT_FOUND;
    return HeldByAnother(error) ? Attempt::kHeld : Attempt::kFailed;
  }
  file = File(reinterpret_cast<intptr_t>(handle), forWriting);
  // Consoles, pipes and other devices could block a read for ever: only disk files.
  if (os.GetFileType(handle) == FILE_TYPE_DISK) return Attempt::kDone;
  CloseFile(file);
  return Attempt::kFailed;
}

bool CloseNative(intptr_t native) noexcept { return os.CloseHandle(AsHandle(native)) != 0; }

bool FileSize(const File &file, std::uint64_t &size) noexcept {
  LARGE_INTEGER got{};
  size = 0;
  if (!os.GetFileSizeEx(AsHandle(file.native), &got) || got.QuadPart < 0) return false;
  size = static_cast<std::uint64_t>(got.QuadPart);
  return true;
}

bool ReadFromStart(const File &file, char *buffer, std::size_t length,
                   std::size_t &received) noexcept {
  received = 0;
  const HANDLE handle = AsHandle(file.native);
  if (!MoveTo(handle, 0)) return false;
  std::size_t done = 0;
  while (done < length) {
    const std::size_t piece = length - done < kLargestPiece ? length - done : kLargestPiece;
    DWORD got = 0;
    if (!os.ReadFile(handle, buffer + done, static_cast<DWORD>(piece), &got, nullptr)) return false;
    if (got == 0) break;  // the file ends here
    done += got;
  }
  received = done;
  return true;
}

bool HasBytesPast(const File &file, std::uint64_t at, bool &more) noexcept {
  char byte = 0;
  DWORD got = 0;
  if (!MoveTo(AsHandle(file.native), at) ||
      !os.ReadFile(AsHandle(file.native), &byte, 1, &got, nullptr))
    return false;
  more = got > 0;
  return true;
}

FileIdentity IdentityOf(const File &file) noexcept {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!os.GetFileInformationByHandle(AsHandle(file.native), &info)) return {};
  return {info.dwVolumeSerialNumber,
          static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow, true};
}

// Growing a file that is not sparse reserves its clusters. A sparse file must have no
// hole below the new size; to grow, none at all, and it then stops being sparse so that
// growing reserves room too (Windows does that reliably only without holes). A
// compressed file's room cannot be known ahead.
bool SecureRoom(const File &file, std::uint64_t oldSize, std::uint64_t newSize) noexcept {
  const HANDLE handle = AsHandle(file.native);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!os.GetFileInformationByHandle(handle, &info)) return false;
  const bool grows = newSize > oldSize;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) != 0) {
    if (!AllocatedUpTo(handle, static_cast<LONGLONG>(grows ? oldSize : newSize))) return false;
    if (grows) {
      FILE_SET_SPARSE_BUFFER whole{};
      whole.SetSparse = FALSE;
      DWORD returned = 0;
      if (!os.DeviceIoControl(handle, FSCTL_SET_SPARSE, &whole, sizeof whole, nullptr, 0, &returned,
                              nullptr))
        return false;
    }
  }
  return !grows || CutTo(file, newSize);
}

bool WriteFromStart(const File &file, std::string_view bytes) noexcept {
  const HANDLE handle = AsHandle(file.native);
  if (!MoveTo(handle, 0)) return false;
  for (std::size_t put = 0; put < bytes.size();) {
    const std::size_t piece =
        bytes.size() - put < kLargestPiece ? bytes.size() - put : kLargestPiece;
    DWORD wrote = 0;
    if (!os.WriteFile(handle, bytes.data() + put, static_cast<DWORD>(piece), &wrote, nullptr) ||
        wrote == 0)
      return false;
    put += wrote;
  }
  return true;
}

bool CutTo(const File &file, std::uint64_t size) noexcept {
  return MoveTo(AsHandle(file.native), size) && os.SetEndOfFile(AsHandle(file.native)) != 0;
}

bool FlushFile(const File &file) noexcept {
  return os.FlushFileBuffers(AsHandle(file.native)) != 0;
}

Attempt TryReopen(const char *name, const FileIdentity &identity, File &file) noexcept {
  file = File();
  const HANDLE handle = os.CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return HeldByAnother(GetLastError()) ? Attempt::kHeld : Attempt::kFailed;
  File opened(reinterpret_cast<intptr_t>(handle), true);
  if (!SameFile(IdentityOf(opened), identity)) return Attempt::kFailed;
  file = std::move(opened);
  return Attempt::kDone;
}

bool PlaceToReplace(const char *name, const File &target, PathText &place) noexcept {
  if (target.IsOpen()) {
    // ReplaceFile would put the new file in the place of a symbolic link or junction
    // itself, and a file's other names (hard links) would keep the old content.
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD attributes = os.GetFileAttributesA(name);
    if (!os.GetFileInformationByHandle(AsHandle(target.native), &info) ||
        info.nNumberOfLinks != 1 || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
      return false;
  }
  // The full path: ReplaceFile may refuse a relative one (Wine's does, ERROR_DIRECTORY).
  const DWORD length = GetFullPathNameA(name, kPathRoom, place, nullptr);
  return length > 0 && length < kPathRoom;
}

Created CreateFresh(const char *name, const File &, File &fresh) noexcept {
  // ReplaceFile gives the new file the target's attributes and security; a new target
  // gets the folder's, as any new file does.
  const HANDLE handle = os.CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    fresh = File(reinterpret_cast<intptr_t>(handle), true);
    return Created::kYes;
  }
  switch (GetLastError()) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return Created::kTaken;
    case ERROR_ACCESS_DENIED:
    case ERROR_FILENAME_EXCED_RANGE:
      return Created::kRefused;
    default:
      return Created::kFailed;
  }
}

bool PutInPlace(const char *fresh, const char *place, bool replacing) noexcept {
  if (!replacing) return os.MoveFileExA(fresh, place, MOVEFILE_WRITE_THROUGH) != 0;
  return RetryWhileHeld([&] {
    if (os.ReplaceFileA(place, fresh, nullptr, 0, nullptr, nullptr)) return Attempt::kDone;
    const DWORD error = GetLastError();
    // The target is gone and the new file kept its name: it is put in the target's place.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT)
      return os.MoveFileExA(fresh, place, MOVEFILE_WRITE_THROUGH) ? Attempt::kDone
                                                                  : Attempt::kFailed;
    return HeldByAnother(error) ? Attempt::kHeld : Attempt::kFailed;
  });
}

void RemoveFile(const char *name) noexcept { os.DeleteFileA(name); }

unsigned ProcessNumber() noexcept { return static_cast<unsigned>(GetCurrentProcessId()); }

}  // namespace kiv::platform
