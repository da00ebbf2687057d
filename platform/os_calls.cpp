// The table of the system's own file and folder calls. Each entry is a small function of
// ours that makes the call, so that the table is constant data, filled in by the linker
// (the module runs no start-up code that could fill it).
#include "platform/os_calls.h"

namespace kiv::platform {
namespace {

#define KIV_OS_CALL_SYSTEM(name, result, parameters, arguments, failure) \
  result KIV_OS_API System_##name parameters { return ::name arguments; }
KIV_OS_CALLS(KIV_OS_CALL_SYSTEM)
#undef KIV_OS_CALL_SYSTEM

}  // namespace

#define KIV_OS_CALL_ENTRY(name, result, parameters, arguments, failure) &System_##name,
constexpr OsCalls kSystemCalls = {KIV_OS_CALLS(KIV_OS_CALL_ENTRY)};
constinit OsCalls os = {KIV_OS_CALLS(KIV_OS_CALL_ENTRY)};
#undef KIV_OS_CALL_ENTRY

}  // namespace kiv::platform
