// POSIX standard output is already a byte stream.
#include "platform/console.h"

namespace kiv::platform {

void UseBinaryStandardOutput() noexcept {}

}  // namespace kiv::platform
