// kivhost's messages on standard error, one line each, written in one place: "kivhost: ",
// where it happened (a script's file and line), then the text. Standard output is
// flushed first, so that a log that takes both keeps answers and messages in order.
#pragma once

#include <string>

namespace kiv::host {

// Prints "kivhost: " + `where` + `text` as one line on standard error.
void Complain(const std::string &where, const std::string &text);

// Prints "kivhost: " + `where` + "warning: " + `text` as one line on standard error.
void Warn(const std::string &where, const std::string &text);

}  // namespace kiv::host
