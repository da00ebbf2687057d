// Texts shown by kivhost: control bytes escaped so that one value stays on one line.
#pragma once

#include <string>
#include <string_view>

namespace kiv::host {

// `text` with backslash, CR, LF and tab as \\ \r \n \t and other control bytes as \xHH.
// Bytes from 128 up pass unchanged: no code-page conversion.
std::string EscapeForDisplay(std::string_view text);

}  // namespace kiv::host
