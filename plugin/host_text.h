// Host text slots: the identity texts that qvInitPlugIn hands to the host in host
// memory. The host keeps and frees the blocks; the module frees a block only when it
// fills the same slot again.
#pragma once

#include <string_view>

#include "kivsqlite3.h"

namespace kiv::plugin {

// Frees the block a slot holds (if any) and sets the slot to 0.
void ReleaseHostText(HostTextSlot *slot) noexcept;

// Releases the slot, then stores a new zero-terminated copy of `text` in host memory.
// An empty text, or host memory running out, leaves the slot 0.
void SetHostText(HostTextSlot *slot, std::string_view text) noexcept;

}  // namespace kiv::plugin
