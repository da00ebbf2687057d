// Host memory on POSIX systems: calloc and free stand in for GlobalAlloc(GMEM_ZEROINIT)
// and GlobalFree, with the same contract as host_memory.h states.
#include "platform/host_memory.h"

#include <cstdlib>

namespace kiv::platform {

void *AllocHostBlock(std::size_t size) noexcept { return std::calloc(size, 1); }

void FreeHostBlock(void *block) noexcept { std::free(block); }

}  // namespace kiv::platform
