// Script files to lines: UTF-16 is made UTF-8 here, and UTF-8 lines go to the operating
// system's layer (host_os), which makes them the host's bytes.
#include "host/script_text.h"

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

// UTF-16 (after its mark; `bigEndian` as the mark said) as UTF-8. An unpaired surrogate
// becomes U+FFFD, which no code page has: the line holding it is then refused.
std::string Utf16ToUtf8(const std::string &bytes, bool bigEndian) {
  std::string out;
  auto unit = [&](std::size_t at) {
    const auto a = static_cast<unsigned char>(bytes[at]);
    const auto b = static_cast<unsigned char>(bytes[at + 1]);
    return bigEndian ? unsigned(a) << 8 | b : unsigned(b) << 8 | a;
  };
  for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
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
  bool wide = false;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    wide |= length > 1;
    i += length;
  }
  return wide;
}

}  // namespace

bool ScriptLines(const std::string &bytes, std::vector<std::string> &lines, std::string *error) {
  std::string text;
  bool utf8 = true;
  if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0) {
    text = Utf16ToUtf8(bytes, bytes[0] == '\xFE');
  } else if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
    text = bytes.substr(3);
  } else {
    text = bytes;
    utf8 = LooksUtf8(text);
  }
  // MS-DOS ended a text file with Ctrl-Z; what follows it is not part of the text.
  const std::size_t end = text.find('\x1A');
  if (end != std::string::npos && text.find_first_not_of("\r\n", end + 1) == std::string::npos)
    text.resize(end);
  lines.clear();
  for (std::size_t start = 0; start < text.size();) {
    std::size_t stop = text.find_first_of("\r\n", start);
    if (stop == std::string::npos) stop = text.size();
    std::string line = text.substr(start, stop - start);
    if (utf8 && !Utf8ToHostText(line)) {
      *error = "line " + std::to_string(lines.size() + 1) +
               " holds a character that the ANSI code page lacks";
      return false;
    }
    lines.push_back(std::move(line));
    start = stop + (text.compare(stop, 2, "\r\n") == 0 ? 2 : 1);
  }
  return true;
}

}  // namespace kiv::host
