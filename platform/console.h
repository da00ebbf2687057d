// Standard output as a byte stream: no newline translation, so raw values pass unchanged.
#pragma once

namespace kiv::platform {

void UseBinaryStandardOutput() noexcept;

}  // namespace kiv::platform
