// The BLOB files on Windows: CreateFileA with share mode 0, the read-only attribute
// honoured, and the steps of ReplaceContent over SetFilePointerEx, ReadFile, WriteFile,
// SetEndOfFile and FlushFileBuffers, with a sparse file's holes found before they would
// need room. Only what Windows XP SP3 has is used.
#include "platform/blob_file.h"
#include "platform/file_names.h"
#include "platform/os_calls.h"

namespace kiv::platform {
namespace {

HANDLE AsHandle(intptr_t native) { return reinterpret_cast<HANDLE>(native); }

// The errors of an open that another opener's hold explains (a sharing violation, or
// access denied while a deleted file is let go): worth trying again shortly.
bool HeldByAnother(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
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

File &File::operator=(File &&other) noexcept {
  if (this != &other) {
    if (IsOpen()) os.CloseHandle(AsHandle(native));
    native = other.native;
    created = other.created;
    other.native = kNoFile;
  }
  return *this;
}

File::~File() {
  if (IsOpen()) os.CloseHandle(AsHandle(native));
}

File OpenUnshared(const char *name, IfMissing missing) noexcept {
  const DWORD disposition = missing == IfMissing::Create ? OPEN_ALWAYS : OPEN_EXISTING;
  for (int attempt = 0;; ++attempt) {
    // Only a plain file or a missing one: opening a device (a serial port) has effects.
    if (NotAPlainFile(name)) return File();
    const DWORD attributes = os.GetFileAttributesA(name);
    HANDLE handle = INVALID_HANDLE_VALUE;
    // Windows refuses writing to a read-only file anyway; asking first keeps that rule
    // where it is not enforced (Wine run by root opens such files for writing).
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0) {
      handle = os.CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE) {
      handle = os.CreateFileA(name, GENERIC_READ, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    }
    if (handle != INVALID_HANDLE_VALUE) {
      const bool created = missing == IfMissing::Create && GetLastError() != ERROR_ALREADY_EXISTS;
      File file(reinterpret_cast<intptr_t>(handle), created);
      // Consoles, pipes and other devices could block a read for ever: only disk files.
      if (os.GetFileType(handle) != FILE_TYPE_DISK) {
        CloseDiscardingCreated(file, name);
        return File();
      }
      return file;
    }
    if (!HeldByAnother(GetLastError()) || attempt == kHeldFileRetries) return File();
    Sleep(HeldFileWait(attempt));
  }
}

bool FileSize(const File &file, std::uint64_t *size) noexcept {
  LARGE_INTEGER got{};
  *size = 0;
  if (!os.GetFileSizeEx(AsHandle(file.native), &got) || got.QuadPart < 0) return false;
  *size = static_cast<std::uint64_t>(got.QuadPart);
  return true;
}

bool ReadFromStart(const File &file, char *buffer, std::size_t length,
                   std::size_t *received) noexcept {
  *received = 0;
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
  *received = done;
  return true;
}

bool HasBytesPast(const File &file, std::uint64_t at, bool *more) noexcept {
  char byte = 0;
  DWORD got = 0;
  *more = false;
  if (!MoveTo(AsHandle(file.native), at) ||
      !os.ReadFile(AsHandle(file.native), &byte, 1, &got, nullptr))
    return false;
  *more = got > 0;
  return true;
}

bool CloseFile(File &file) noexcept {
  if (!file.IsOpen()) return true;
  const HANDLE handle = AsHandle(file.native);
  file.native = File::kNoFile;
  return os.CloseHandle(handle) != 0;
}

FileIdentity IdentityOf(const File &file) noexcept {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!os.GetFileInformationByHandle(AsHandle(file.native), &info)) return {};
  return {info.dwVolumeSerialNumber,
          static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow, true};
}

// Growing a file that is not sparse reserves its clusters. A sparse file (whose holes
// take room only when written) must have no hole below the new size; to grow, it must
// have none at all, and then stops being sparse (which Windows does reliably only for a
// file without holes), so that growing it reserves room too. Otherwise the write is
// refused and the file kept. A compressed file's room cannot be known ahead.
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

File ReopenSame(const char *name, const FileIdentity &identity) noexcept {
  if (!identity.known) return File();
  const HANDLE handle = os.CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return File();
  File file(reinterpret_cast<intptr_t>(handle), false);
  const FileIdentity found = IdentityOf(file);
  if (!found.known || found.volume != identity.volume || found.index != identity.index)
    return File();
  return file;
}

void RemoveIfSame(const char *name, const FileIdentity &identity) noexcept {
  if (!identity.known) return;
  // The identity is taken through a handle that asks for no access and shares
  // everything, then let go: a file open without sharing cannot be deleted.
  const HANDLE handle =
      os.CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  File probe(reinterpret_cast<intptr_t>(handle), false);
  const FileIdentity found = IdentityOf(probe);
  CloseFile(probe);
  if (found.known && found.volume == identity.volume && found.index == identity.index)
    os.DeleteFileA(name);
}

}  // namespace kiv::platform
