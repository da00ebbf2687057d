// The operating system's file and folder calls, as the platform layer makes them: each
// goes through one table, so that a test can stand in for any of them (the third write
// failing on a full disk, a close reporting a lost write) and see the layer keep its
// promises. The table holds the system's own calls; only tests replace entries.
// Libraries and memory are not in it.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>

#define KIV_OS_API WINAPI

// X(name, result, parameters, arguments, failure): `failure` is what the call returns
// when it fails, with the reason in GetLastError().
#define KIV_OS_CALLS(X)                                                                            \
  X(CreateFileA, HANDLE,                                                                           \
    (LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD create,         \
     DWORD flags, HANDLE model),                                                                   \
    (name, access, share, security, create, flags, model), INVALID_HANDLE_VALUE)                   \
  X(CreateFileW, HANDLE,                                                                           \
    (LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD create,        \
     DWORD flags, HANDLE model),                                                                   \
    (name, access, share, security, create, flags, model), INVALID_HANDLE_VALUE)                   \
  X(GetFileAttributesA, DWORD, (LPCSTR name), (name), INVALID_FILE_ATTRIBUTES)                     \
  X(GetFileAttributesW, DWORD, (LPCWSTR name), (name), INVALID_FILE_ATTRIBUTES)                    \
  X(GetFullPathNameW, DWORD, (LPCWSTR name, DWORD room, LPWSTR out, LPWSTR * last),                \
    (name, room, out, last), 0)                                                                    \
  X(GetFileType, DWORD, (HANDLE file), (file), FILE_TYPE_UNKNOWN)                                  \
  X(GetFileInformationByHandle, BOOL, (HANDLE file, LPBY_HANDLE_FILE_INFORMATION info),            \
    (file, info), FALSE)                                                                           \
  X(GetFileSizeEx, BOOL, (HANDLE file, PLARGE_INTEGER size), (file, size), FALSE)                  \
  X(SetFilePointerEx, BOOL, (HANDLE file, LARGE_INTEGER to, PLARGE_INTEGER at, DWORD from),        \
    (file, to, at, from), FALSE)                                                                   \
  X(ReadFile, BOOL, (HANDLE file, LPVOID out, DWORD count, LPDWORD got, LPOVERLAPPED overlap),     \
    (file, out, count, got, overlap), FALSE)                                                       \
  X(WriteFile, BOOL, (HANDLE file, LPCVOID bytes, DWORD count, LPDWORD put, LPOVERLAPPED overlap), \
    (file, bytes, count, put, overlap), FALSE)                                                     \
  X(DeviceIoControl, BOOL,                                                                         \
    (HANDLE file, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,                  \
     LPDWORD returned, LPOVERLAPPED overlap),                                                      \
    (file, code, in, inSize, out, outSize, returned, overlap), FALSE)                              \
  X(SetEndOfFile, BOOL, (HANDLE file), (file), FALSE)                                              \
  X(FlushFileBuffers, BOOL, (HANDLE file), (file), FALSE)                                          \
  X(CloseHandle, BOOL, (HANDLE file), (file), FALSE)                                               \
  X(DeleteFileA, BOOL, (LPCSTR name), (name), FALSE)                                               \
  X(MoveFileExA, BOOL, (LPCSTR from, LPCSTR to, DWORD flags), (from, to, flags), FALSE)            \
  X(ReplaceFileA, BOOL,                                                                            \
    (LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID exclude,              \
     LPVOID reserved),                                                                             \
    (replaced, replacement, backup, flags, exclude, reserved), FALSE)

#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#define KIV_OS_API

// X(name, result, parameters, arguments, failure): `failure` is what the call returns
// when it fails, with the reason in errno (posix_fallocate returns the reason itself).
#define KIV_OS_CALLS(X)                                                                           \
  X(open, int, (const char *name, int flags, mode_t mode), (name, flags, mode), -1)               \
  X(stat, int, (const char *name, struct stat *info), (name, info), -1)                           \
  X(lstat, int, (const char *name, struct stat *info), (name, info), -1)                          \
  X(fstat, int, (int fd, struct stat *info), (fd, info), -1)                                      \
  X(realpath, char *, (const char *name, char *resolved), (name, resolved), nullptr)              \
  X(flock, int, (int fd, int operation), (fd, operation), -1)                                     \
  X(fcntl, int, (int fd, int command, int argument), (fd, command, argument), -1)                 \
  X(pread, ssize_t, (int fd, void *out, size_t count, off_t at), (fd, out, count, at), -1)        \
  X(pwrite, ssize_t, (int fd, const void *bytes, size_t count, off_t at), (fd, bytes, count, at), \
    -1)                                                                                           \
  X(posix_fallocate, int, (int fd, off_t at, off_t length), (fd, at, length), errno)              \
  X(ftruncate, int, (int fd, off_t length), (fd, length), -1)                                     \
  X(fdatasync, int, (int fd), (fd), -1)                                                           \
  X(fsync, int, (int fd), (fd), -1)                                                               \
  X(fchmod, int, (int fd, mode_t mode), (fd, mode), -1)                                           \
  X(fchown, int, (int fd, uid_t owner, gid_t group), (fd, owner, group), -1)                      \
  X(close, int, (int fd), (fd), -1)                                                               \
  X(rename, int, (const char *from, const char *to), (from, to), -1)                              \
  X(unlink, int, (const char *name), (name), -1)
#endif

namespace kiv::platform {

// One pointer per call, named as the call.
struct OsCalls {
#define KIV_OS_CALL_FIELD(name, result, parameters, arguments, failure) \
  result(KIV_OS_API *name) parameters;
  KIV_OS_CALLS(KIV_OS_CALL_FIELD)
#undef KIV_OS_CALL_FIELD
};

// The system's own calls.
extern const OsCalls kSystemCalls;

// The calls the platform layer makes: kSystemCalls, unless a test has replaced entries.
extern OsCalls os;

}  // namespace kiv::platform
