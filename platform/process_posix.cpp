// Host memory is calloc/free; waiting is nanosleep, resumed after a signal.
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/process.h"

namespace kiv::platform {

void *AllocHostBlock(std::size_t size) noexcept { return std::calloc(size, 1); }

void FreeHostBlock(void *block) noexcept { std::free(block); }

void PauseMilliseconds(unsigned milliseconds) noexcept {
  timespec wait{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

}  // namespace kiv::platform
