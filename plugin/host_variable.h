// The hand-back: an action's result text written into a script variable through the
// host's set-variable callback, exactly once per action, after the database is closed.
#pragma once

#include <string>

#include "platform/byte_buffer.h"

namespace kiv::plugin {

// Calls the host's set-variable callback with (name, value). An empty text goes as a
// null pointer. The pointers are valid only during the callback; the host copies what
// it keeps. Does nothing when the host gave no callback.
void SetHostVariable(const std::string &name, const std::string &value) noexcept;
void SetHostVariable(const std::string &name, const ByteBuffer &value) noexcept;

}  // namespace kiv::plugin
