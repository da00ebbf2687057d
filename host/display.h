// How kivhost shows what the module hands back: each value on one line, control bytes
// escaped, and the variables an action set as "name = value".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kiv::host {

// `text` with control bytes shown as \r \n \t and \xHH, so that one value stays on one
// line, and a backslash as \\, so that C:\new and a line break never look alike.
// Everything else, bytes from 128 up included, passes unchanged.
std::string EscapeForDisplay(std::string_view text);

// Prints, one a line, the variables set since the record's set number `from`, as
// "name = value" ("(no variable)" for an answer handed to no variable).
void ShowSetsSince(std::size_t from);

}  // namespace kiv::host
