// Names on Windows: the device names Windows reserves in every folder and the paths that
// reach devices, told apart from files by the name alone; and ANSI names converted to UTF-8 for
// SQLite, with the files that SQLite once made from the raw bytes kept reachable.
#include <cstring>

#include "base/utf8.h"
#include "platform/file_names.h"
#include "platform/os_calls.h"

namespace kiv::platform {
namespace {

// `name` read in `codePage` into `wide` (zero-terminated); false when it does not fit.
bool Widen(UINT codePage, std::string_view name, wchar_t (&wide)[kFileNameRoom]) {
  const int count = MultiByteToWideChar(codePage, 0, name.data(), static_cast<int>(name.size()),
                                        wide, static_cast<int>(kFileNameRoom) - 1);
  if (count <= 0) return false;
  wide[count] = L'\0';
  return true;
}

wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; }

bool StartsWithNoCase(const wchar_t *text, const wchar_t *prefix) {
  for (; *prefix != L'\0'; ++text, ++prefix) {
    const wchar_t c = *text == L'/' ? L'\\' : AsciiUpper(*text);  // `prefix` is upper case
    if (c != *prefix) return false;
  }
  return true;
}

// True for a path into the device space: a \\.\ or \\?\ path other than \\?\X:\...
// and \\?\UNC\... (a raw disk, a volume, a device's own name: \\?\PhysicalDrive0,
// \\?\C:), and every \??\ path, which reaches the same space.
bool ReachesDeviceSpace(const wchar_t *name) {
  if (StartsWithNoCase(name, L"\\\\.\\") || StartsWithNoCase(name, L"\\??\\")) return true;
  if (!StartsWithNoCase(name, L"\\\\?\\")) return false;
  const wchar_t *rest = name + 4;
  const bool drive = AsciiUpper(rest[0]) >= L'A' && AsciiUpper(rest[0]) <= L'Z' &&
                     rest[1] == L':' && (rest[2] == L'\\' || rest[2] == L'/');
  return !drive && !StartsWithNoCase(rest, L"UNC\\");
}

// True for a server's named pipe or mailslot (\\host\pipe\x, \\?\UNC\host\pipe\x):
// opening one connects to whatever listens there.
bool ReachesServerPipe(const wchar_t *name) {
  const wchar_t *rest = StartsWithNoCase(name, L"\\\\?\\UNC\\") ? name + 8
                        : StartsWithNoCase(name, L"\\\\")       ? name + 2
                                                                : nullptr;
  if (rest == nullptr) return false;
  while (*rest != L'\0' && *rest != L'\\' && *rest != L'/') ++rest;  // the server's name
  if (*rest == L'\0') return false;
  ++rest;
  for (const wchar_t *share : {L"PIPE", L"MAILSLOT"}) {
    const int length = lstrlenW(share);
    if (StartsWithNoCase(rest, share) &&
        (rest[length] == L'\0' || rest[length] == L'\\' || rest[length] == L'/'))
      return true;
  }
  return false;
}

// True when the last name of `name` is one that Windows reserves for a device in every
// folder: CON, PRN, AUX, NUL, CONIN$, CONOUT$, and COM or LPT followed by a digit or a
// superscript one, two or three; with or without an extension, trailing dots or blanks.
bool ReservedDeviceName(const wchar_t *name) {
  const wchar_t *last = name;
  for (const wchar_t *c = name; *c != L'\0'; ++c) {
    if (*c == L'\\' || *c == L'/') last = c + 1;
  }
  if (last[0] != L'\0' && last[1] == L':') last += 2;  // C:NUL
  std::size_t length = 0;
  while (last[length] != L'\0' && last[length] != L'.' && last[length] != L':') ++length;
  while (length > 0 && (last[length - 1] == L' ' || last[length - 1] == L'.')) --length;
  wchar_t stem[8] = {};
  if (length == 0 || length >= sizeof stem / sizeof stem[0]) return false;
  for (std::size_t i = 0; i < length; ++i) stem[i] = AsciiUpper(last[i]);
  for (const wchar_t *device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
    if (lstrcmpW(stem, device) == 0) return true;
  }
  const bool port = length == 4 && ((stem[0] == L'C' && stem[1] == L'O' && stem[2] == L'M') ||
                                    (stem[0] == L'L' && stem[1] == L'P' && stem[2] == L'T'));
  return port && ((stem[3] >= L'0' && stem[3] <= L'9') || stem[3] == L'\u00B9' ||
                  stem[3] == L'\u00B2' || stem[3] == L'\u00B3');
}

bool CopyName(std::string_view name, char (&out)[kFileNameRoom]) {
  if (name.size() >= kFileNameRoom) return false;
  std::memcpy(out, name.data(), name.size());
  out[name.size()] = '\0';
  return true;
}

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool NotAPlainFile(const char *name) noexcept {
  wchar_t wide[kFileNameRoom];
  // Compared as Windows reads the name: "COM\xB9" is COM1 in code page 1252.
  if (!Widen(CP_ACP, name, wide) || ReachesDeviceSpace(wide) || ReachesServerPipe(wide) ||
      ReservedDeviceName(wide))
    return true;
  const DWORD attributes = os.GetFileAttributesA(name);
  if (attributes == INVALID_FILE_ATTRIBUTES) return !IsMissing(GetLastError());
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0;
}

bool FileNameAsUtf8(std::string_view name, char (&out)[kFileNameRoom]) noexcept {
  if (IsUtf8(name)) return CopyName(name, out);
  wchar_t meant[kFileNameRoom];
  if (!Widen(CP_ACP, name, meant)) return false;
  // A file that SQLite made from these bytes taken as UTF-8 (each invalid byte read as
  // U+FFFD) stays reachable as long as no file of the meant name exists.
  wchar_t before[kFileNameRoom];
  if (os.GetFileAttributesW(meant) == INVALID_FILE_ATTRIBUTES && Widen(CP_UTF8, name, before) &&
      os.GetFileAttributesW(before) != INVALID_FILE_ATTRIBUTES)
    return CopyName(name, out);
  const int length = WideCharToMultiByte(CP_UTF8, 0, meant, -1, out,
                                         static_cast<int>(kFileNameRoom), nullptr, nullptr);
  return length > 0;
}

}  // namespace kiv::platform
