// Host memory: the blocks that the module hands to the host for keeping (the identity
// texts). GlobalAlloc/GlobalFree on Windows, calloc/free elsewhere; the host frees them
// the same way. Knows nothing of hosts or SQLite.
#pragma once

#include <cstddef>

namespace kiv::platform {

// Allocates `size` zero-filled bytes of host memory. Returns null when memory is short.
void *AllocHostBlock(std::size_t size) noexcept;

// Frees a block from AllocHostBlock. A null block is ignored.
void FreeHostBlock(void *block) noexcept;

}  // namespace kiv::platform
