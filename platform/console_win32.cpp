// Windows standard output in binary mode, so "\n" bytes are not turned into CR LF.
#include "platform/console.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

namespace kiv::platform {

void UseBinaryStandardOutput() noexcept { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace kiv::platform
