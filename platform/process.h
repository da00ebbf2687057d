// What the module takes from its process: blocks of host memory for the texts it hands
// the host for keeping, and waiting. GlobalAlloc/GlobalFree and Sleep on Windows, where
// the module's entry point lives beside them; calloc/free and nanosleep elsewhere.
#pragma once

#include <cstddef>

namespace kiv::platform {

// Allocates `size` zero-filled bytes of host memory, which the host frees
// (GlobalAlloc(GMEM_ZEROINIT)/GlobalFree on Windows, calloc/free elsewhere). Returns
// null when memory is short.
void *AllocHostBlock(std::size_t size) noexcept;

// Frees a block from AllocHostBlock. A null block is ignored.
void FreeHostBlock(void *block) noexcept;

// Waits `milliseconds` before going on.
void PauseMilliseconds(unsigned milliseconds) noexcept;

}  // namespace kiv::platform
