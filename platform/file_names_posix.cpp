// Names on POSIX are bytes, kept as they are; what a name reaches is what stat says.
#include <cstring>

#include "platform/file_names.h"
#include "platform/os_calls.h"

namespace kiv::platform {

bool NotAPlainFile(const char *name) noexcept {
  struct stat info {};
  return os.stat(name, &info) == 0 ? !S_ISREG(info.st_mode) : errno != ENOENT;
}

bool FileNameAsUtf8(std::string_view name, char (&out)[kFileNameRoom]) noexcept {
  if (name.size() >= kFileNameRoom) return false;
  std::memcpy(out, name.data(), name.size());
  out[name.size()] = '\0';
  return true;
}

}  // namespace kiv::platform
