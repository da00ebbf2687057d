// SetHostText and ReleaseHostText over the platform's host memory.
#include "plugin/host_text.h"

#include <cstring>

#include "platform/host_memory.h"

namespace kiv::plugin {

void ReleaseHostText(HostTextSlot *slot) noexcept {
  if (*slot != 0) platform::FreeHostBlock(reinterpret_cast<void *>(*slot));
  *slot = 0;
}

void SetHostText(HostTextSlot *slot, std::string_view text) noexcept {
  ReleaseHostText(slot);
  if (text.empty()) return;
  void *block = platform::AllocHostBlock(text.size() + 1);  // zero-filled: the last byte ends it
  if (block == nullptr) return;
  std::memcpy(block, text.data(), text.size());
  *slot = reinterpret_cast<HostTextSlot>(block);
}

}  // namespace kiv::plugin
