// Script files to lines: UTF-16 is converted to UTF-8 here, and UTF-8 lines go to the
// operating system's layer (host_os), which converts them to the host's text (on Windows,
// the ANSI code page).
#include "host/script_text.h"

#include "base/utf8.h"
#include "host/host_os.h"

namespace kiv::host {
namespace {

void AppendUtf8(std::string &out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// UTF-16 (after its mark of `skip` bytes; `bigEndian` as the mark or the zero half of
// the first character said) as UTF-8. An unpaired surrogate becomes U+FFFD, which no
// code page has: the line holding it is then refused.
std::string Utf16ToUtf8(const std::string &bytes, std::size_t skip, bool bigEndian) {
  std::string out;
  auto unit = [&](std::size_t at) {
    const auto a = static_cast<unsigned char>(bytes[at]);
    const auto b = static_cast<unsigned char>(bytes[at + 1]);
    return bigEndian ? unsigned(a) << 8 | b : unsigned(b) << 8 | a;
  };
  for (std::size_t at = skip; at + 1 < bytes.size(); at += 2) {
    unsigned code = unit(at);
    if (code >= 0xD800 && code <= 0xDBFF && at + 3 < bytes.size() && unit(at + 2) >= 0xDC00 &&
        unit(at + 2) <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
      at += 2;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    AppendUtf8(out, code);
  }
  return out;
}

// True when `text` holds a byte from 128 up and is valid UTF-8 throughout: a file saved
// as UTF-8 without a mark (an ANSI text with such bytes is almost never valid UTF-8).
bool LooksUtf8(const std::string &text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return IsUtf8(text);
  }
  return false;
}

}  // namespace

bool ScriptLines(const std::string &bytes, ScriptText &script, std::string &error) {
  error.clear();
  std::string text;
  bool utf8 = true;
  // Without a mark, UTF-16 shows in its first two characters, each with a zero half.
  const auto zero = [&](std::size_t at) { return bytes[at] == '\0'; };
  const bool markless16 =
      bytes.size() >= 4 && zero(0) != zero(1) && zero(0) == zero(2) && zero(1) == zero(3);
  if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0) {
    text = Utf16ToUtf8(bytes, 2, bytes[0] == '\xFE');
  } else if (markless16) {  // "1 " is 31 00 20 00 in UTF-16 without a mark
    text = Utf16ToUtf8(bytes, 0, bytes[0] == '\0');
  } else if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
    text = bytes.substr(3);
  } else {
    text = bytes;
    utf8 = LooksUtf8(text);
  }
  // MS-DOS ended a text file with Ctrl-Z, and so does Windows' text-mode input: what
  // follows it is not part of the text.
  const std::size_t end = text.find('\x1A');
  script.ended = end != std::string::npos;
  script.endedEarly = script.ended && text.find_first_not_of("\r\n", end + 1) != std::string::npos;
  script.lastLineCut = script.endedEarly && end > 0 && text[end - 1] != '\r' &&
                       text[end - 1] != '\n' && text[end + 1] != '\r' && text[end + 1] != '\n';
  if (end != std::string::npos) text.resize(end);
  script.lines.clear();
  for (std::size_t start = 0; start < text.size();) {
    std::size_t stop = text.find_first_of("\r\n", start);
    if (stop == std::string::npos) stop = text.size();
    std::string line = text.substr(start, stop - start);
    if (utf8 && !Utf8ToHostText(line)) {
      error = "line " + std::to_string(script.lines.size() + 1) +
              " holds a character that the ANSI code page lacks";
      return false;
    }
    script.lines.push_back(std::move(line));
    start = stop + (text.compare(stop, 2, "\r\n") == 0 ? 2 : 1);
  }
  return true;
}

}  // namespace kiv::host
