// The stand-ins, made from the table's own list of calls: each counts itself and either
// fails or passes on to the system's call.
#include "support/os_call_faults.h"

#include "platform/os_calls.h"

namespace kiv::test::os_faults {
namespace {

std::map<std::string, int> counts;
std::string armedName;
int armedNth = 0;
int armedError = 0;

bool Strikes(const char *name) {
  const int n = ++counts[name];
  return armedNth != 0 && n == armedNth && armedName == name;
}

bool ReleasesAnyway(const std::string &name) { return name == "close" || name == "CloseHandle"; }

void SetError(int error) {
#ifdef _WIN32
  SetLastError(static_cast<DWORD>(error));
#else
  errno = error;
#endif
}

#define KIV_FAULTY(name, result, parameters, arguments, failure)       \
  result KIV_OS_API Faulty_##name parameters {                         \
    if (!Strikes(#name)) return platform::kSystemCalls.name arguments; \
    if (ReleasesAnyway(#name)) platform::kSystemCalls.name arguments;  \
    SetError(armedError);                                              \
    return failure;                                                    \
  }
KIV_OS_CALLS(KIV_FAULTY)
#undef KIV_FAULTY

}  // namespace

#ifdef _WIN32
const int kFileErrors[3] = {ERROR_IO_DEVICE, ERROR_DISK_FULL, ERROR_NETNAME_DELETED};
#else
const int kFileErrors[3] = {EIO, ENOSPC, EINTR};
#endif

void Install() {
#define KIV_FAULTY_ENTRY(name, result, parameters, arguments, failure) &Faulty_##name,
  platform::os = {KIV_OS_CALLS(KIV_FAULTY_ENTRY)};
#undef KIV_FAULTY_ENTRY
  Arm("", 0, 0);
}

void Uninstall() { platform::os = platform::kSystemCalls; }

void Arm(const std::string &name, int nth, int error) {
  counts.clear();
  armedName = name;
  armedNth = nth;
  armedError = error;
}

const std::map<std::string, int> &Counts() { return counts; }

}  // namespace kiv::test::os_faults
