// A kivhost script file read as the authoring host would hold its text: the lines of a
// file saved as ANSI, UTF-8 (with or without a byte order mark) or UTF-16 ("Unicode",
// with its mark), with any line ends (CR LF, LF, CR) and an MS-DOS end-of-file mark
// (Ctrl-Z), each line in the bytes the host sends (on Windows the ANSI code page).
#pragma once

#include <string>
#include <vector>

namespace kiv::host {

// Splits `bytes`, the whole file, into lines in the host's bytes. False, with `*error`
// naming the line and what is wrong, when a line holds a character that the host's code
// page lacks: the script then runs no line at all.
bool ScriptLines(const std::string &bytes, std::vector<std::string> &lines, std::string *error);

}  // namespace kiv::host
