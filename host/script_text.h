// A kivhost script file read as the authoring host would hold its text: the lines of a
// file saved as ANSI, UTF-8 (with or without a byte order mark) or UTF-16 ("Unicode",
// with or without its mark), with any line ends (CR LF, LF, CR) and an MS-DOS
// end-of-file mark (Ctrl-Z), each line in the bytes the host sends (on Windows the ANSI
// code page).
#pragma once

#include <string>
#include <vector>

namespace kiv::host {

// A script's text, in lines.
struct ScriptText {
  std::vector<std::string> lines;  // each as the host's text, without its line end
  bool ended = false;              // a Ctrl-Z (MS-DOS's end mark) ended the text
  bool endedEarly = false;         // ... and more than line ends stood after it
  bool lastLineCut = false;        // ... inside the last line, whose rest stood after it
};

// Splits `bytes`, the whole file, into lines as the host's text; a text ends at its
// first Ctrl-Z, on every system. UTF-16 is known by its mark, or without one by the zero
// half of its first character. False, with `error` naming the line and what is wrong,
// when a line holds a character that the host's code page lacks: the script then runs
// no line at all. A NUL byte stays in its line, for the caller to refuse.
bool ScriptLines(const std::string &bytes, ScriptText &script, std::string &error);

}  // namespace kiv::host
