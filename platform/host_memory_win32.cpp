// Host memory on Windows: fixed, zero-filled global memory, so that a block's handle is
// its address and the host can free it with GlobalFree.
#include "platform/host_memory.h"

#include <windows.h>

namespace kiv::platform {

void *AllocHostBlock(std::size_t size) noexcept {
  return reinterpret_cast<void *>(GlobalAlloc(GMEM_ZEROINIT, size));
}

void FreeHostBlock(void *block) noexcept {
  if (block != nullptr) GlobalFree(reinterpret_cast<HGLOBAL>(block));
}

}  // namespace kiv::platform
